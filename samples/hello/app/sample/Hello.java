// The sample application: its main class lives in the application jar, the rest in two
// library jars, and all of it is served from inside the executable.
package sample;

import java.net.URL;
import java.util.ServiceLoader;

import sample.greeting.Greeting;

public final class Hello {
    // Each character outside ASCII also as its code point, so the output can be checked
    // whatever the terminal's encoding.
    static String withCodePoints(String text) {
        StringBuilder points = new StringBuilder();
        text.codePoints().filter(c -> c > 0x7F).forEach(c -> points.append(String.format(" U+%04X", c)));
        return points.length() == 0 ? text : text + " (" + points.toString().trim() + ")";
    }

    static String origin(Class<?> type) {
        URL url = type.getResource(type.getSimpleName() + ".class");
        return type.getName() + " from " + url;
    }

    public static void main(String[] args) {
        System.out.println("Hello from a Java application packed into " + System.getProperty("oru.app.path"));
        System.out.println("Running on Java " + System.getProperty("java.version")
                + " (" + System.getProperty("java.vm.name") + ") from " + System.getProperty("java.home"));
        System.out.println("Loaded by " + Hello.class.getClassLoader().getClass().getName());
        System.out.println("Class " + origin(Hello.class));
        System.out.println("Class " + origin(Greeting.class));
        System.out.println("Resource " + Greeting.textUrl() + ": " + withCodePoints(Greeting.text()));
        for (Greeter greeter : ServiceLoader.load(Greeter.class))
            System.out.println("Service " + origin(greeter.getClass()) + ": " + greeter.greet("world"));
        for (int i = 0; i < args.length; i++)
            System.out.println("Argument " + (i + 1) + ": " + withCodePoints(args[i]));
    }
}
