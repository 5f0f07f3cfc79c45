// The service the sample looks up with ServiceLoader; a library jar provides it.
package sample;

public interface Greeter {
    String greet(String name);
}
