// A service interface whose provider is declared in a library jar.
package bridge;

public interface Service {
    String name();
}
