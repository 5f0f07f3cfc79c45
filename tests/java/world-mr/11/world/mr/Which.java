// The copy for Java 11 and later.
package world.mr;

public class Which {
    public static String name() {
        return "11";
    }
}
