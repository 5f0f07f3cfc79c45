// A class of the packed test application that says which copy of it was loaded.
package bridge;

public class InLib {
    public static String origin() { return "libs/a.jar"; }
}
