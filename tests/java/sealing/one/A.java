// A class of the package that the application jar of the sealing probe seals.
package one;

public class A {}
