// A class of the packed test application that says which copy of it was loaded.
package bridge;

public class Shadowed {
    public static String origin() { return "archive"; }
}
