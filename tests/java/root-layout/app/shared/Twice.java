// A class that the application jar and the library both hold: the application jar's copy.
package shared;

public class Twice {
    public static String who() {
        return "app";
    }
}
