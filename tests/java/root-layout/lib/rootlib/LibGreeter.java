// The library's provider, which reads a resource of its own package.
package rootlib;

import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import rootapp.Greeter;

public class LibGreeter implements Greeter {
    public String name() {
        return "lib";
    }

    public static String resource() throws Exception {
        try (InputStream in = LibGreeter.class.getResourceAsStream("data.txt")) {
            return in == null ? "<none>" : new String(in.readAllBytes(), StandardCharsets.UTF_8).trim();
        }
    }
}
