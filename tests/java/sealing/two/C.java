// A class of package two from a jar that does not seal it, loaded before two.D.
package two;

public class C {}
