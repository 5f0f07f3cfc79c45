// A class and a resource of the sample's first library jar.
package sample.greeting;

import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.net.URL;
import java.nio.charset.StandardCharsets;

public final class Greeting {
    public static URL textUrl() {
        return Greeting.class.getResource("greeting.txt");
    }

    public static String text() {
        try (InputStream in = textUrl().openStream()) {
            return new String(in.readAllBytes(), StandardCharsets.UTF_8).trim();
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }
}
