// A class of the packed test application that says which copy of it was loaded.
package bridge;

public class InApp {
    public static String origin() { return "t.jar"; }
}
