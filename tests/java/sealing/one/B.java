// A class of package one in another jar than the one that seals it.
package one;

public class B {}
