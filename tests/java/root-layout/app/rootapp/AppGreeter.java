// The application jar's provider.
package rootapp;

public class AppGreeter implements Greeter {
    public String name() {
        return "app";
    }
}
