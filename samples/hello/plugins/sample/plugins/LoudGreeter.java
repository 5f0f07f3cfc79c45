// The Greeter that the sample's second library jar declares for ServiceLoader.
package sample.plugins;

import sample.Greeter;

public final class LoudGreeter implements Greeter {
    public String greet(String name) {
        return "HELLO, " + name.toUpperCase() + "!";
    }
}
