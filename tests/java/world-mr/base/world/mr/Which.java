// The class every release sees unless a versioned copy is chosen.
package world.mr;

public class Which {
    public static String name() {
        return "base";
    }
}
