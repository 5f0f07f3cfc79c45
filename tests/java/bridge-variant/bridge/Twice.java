// The copy of Twice in the library jar with the longer name, which must not win.
package bridge;

public class Twice {
    public static String origin() { return "libs/bb.jar"; }
}
