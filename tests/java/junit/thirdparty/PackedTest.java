// A JUnit test class run by the packed JUnit runner, from a library jar of its own.
package thirdparty;

import static org.hamcrest.CoreMatchers.startsWith;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertThat;

import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import org.junit.Test;

public class PackedTest {
    @Test
    public void arithmetic() {
        assertEquals(4, 2 + 2);
    }

    @Test
    public void resourceFromTheNestedJar() throws Exception {
        assertThat(getClass().getResource("expected.txt").toString(), startsWith("oru:"));
        try (InputStream in = getClass().getResourceAsStream("expected.txt")) {
            assertEquals("packed", new String(in.readAllBytes(), StandardCharsets.UTF_8).trim());
        }
    }
}
