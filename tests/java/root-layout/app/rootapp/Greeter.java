// A service that each jar provides once.
package rootapp;

public interface Greeter {
    String name();
}
