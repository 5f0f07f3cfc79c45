// Prints, one fact per line, what an application sees of its own world: the system class
// loader, URL handlers, stack depth, code source, package versions, resource URLs and
// their metadata, names in other scripts, names that URLs escape, names in UTF-8 without
// the UTF-8 mark, folders, multi-release classes. Run with java -cp and packed, the two outputs
// are compared line by line.
package world;

import java.io.InputStream;
import java.net.JarURLConnection;
import java.net.URL;
import java.net.URLConnection;

public class World {
    static int depth;

    static void down() {
        depth++;
        down();
    }

    static String read(URL url) {
        try (InputStream in = url.openStream()) {
            return new String(in.readAllBytes(), "UTF-8").trim();
        } catch (Exception e) {
            return e.getClass().getName();
        }
    }

    static void fact(String name, Object value) {
        StringBuilder out = new StringBuilder();
        for (char c : String.valueOf(value).toCharArray()) {
            if (c >= 0x20 && c < 0x7F) out.append(c);
            else out.append(String.format("\\u%04X", (int) c));
        }
        System.out.println(name + "=" + out);
    }

    // The text behind the URL that `url` gives, or "nothing" when there is none or it
    // cannot be read.
    static String found(Fact url) {
        try (InputStream in = ((URL) url.get()).openStream()) {
            return new String(in.readAllBytes(), "UTF-8").trim();
        } catch (Exception e) {
            return "nothing";
        }
    }

    interface Fact {
        Object get() throws Exception;
    }

    static void fact(String name, Fact fact) {
        try {
            fact(name, fact.get());
        } catch (Throwable e) {
            fact(name, e.getClass().getName());
        }
    }

    public static void main(String[] args) throws Exception {
        ClassLoader loader = World.class.getClassLoader();
        fact("handler", () -> read(new URL("probescheme:hello")));
        fact("systemclass", () -> ClassLoader.getSystemClassLoader().loadClass("world.World").getName());
        fact("systemresource", () -> read(ClassLoader.getSystemResource("dir/x.txt")));
        // The second descent, once the JIT has settled on its code for down(); none with
        // "shallow" (an emulator that cannot take the overflow).
        for (int round = args.length > 0 ? 2 : 0; round < 2; round++) {
            depth = 0;
            try {
                down();
            } catch (StackOverflowError e) {
                if (round == 1) fact("depth", depth);
            }
        }
        fact("codesource", () -> World.class.getProtectionDomain().getCodeSource().getLocation());
        fact("implversion", () -> World.class.getPackage().getImplementationVersion());
        fact("specversion", () -> World.class.getPackage().getSpecificationVersion());
        fact("impltitle", () -> World.class.getPackage().getImplementationTitle());
        URL x = loader.getResource("dir/x.txt");
        fact("relative", () -> read(new URL(x, "y.txt")));
        fact("parent", () -> read(new URL(x, "../z.txt")));
        fact("uri", () -> read(new URL(x.toURI().toString())));
        fact("spaced", () -> read(new URL(loader.getResource("dir/with space.txt").toURI().toString())));
        fact("utf8resource", () -> read(loader.getResource("中文.txt")));
        fact("utf8class", () -> Class.forName("world.Grüße").getSimpleName());
        URLConnection connection = x.openConnection();
        fact("length", connection.getContentLengthLong());
        fact("lengthheader", connection.getContentLength());
        fact("modified", connection instanceof JarURLConnection
                ? ((JarURLConnection) connection).getJarEntry().getTime()
                : connection.getLastModified());
        fact("multirelease", () -> Class.forName("world.mr.Which").getMethod("name").invoke(null));
        // names.jar: every entry holds its own name, and reads it back through its URL.
        for (String name : new String[] {"a+b c.txt", "a b c.txt", "my file.txt", "my%20file.txt",
                "100%.txt", "100%25.txt", "C++ ü.txt", "#?.txt", "中文/空 格.txt"}) {
            String text = found(() -> loader.getResource(name));
            fact("roundtrip", name + (text.equals(name) ? " own" : " reads " + text));
        }
        // Decoys lie beside: bad/A1, bad/%41 and bad/?. The 32-bit runtime under an
        // emulator (started with "shallow") aborts in the JDK's own lookups of these names,
        // under java -cp as well: they are asked only natively.
        if (args.length == 0) {
            URL decoy = loader.getResource("bad/A1");
            fact("nothing", "NUL " + found(() -> loader.getResource("bad/A1\u0000junk")));
            fact("nothing", "surrogate " + found(() -> loader.getResource("bad/\uD800")));
            for (String spec : new String[] {"% 41", "%%41"})
                fact("nothing", spec + " " + found(() -> new URL(decoy, spec)));
        }
        // Scanners list a package through its folder, asked with or without the "/".
        for (String name : new String[] {"dir", "dir/", "dir/x.txt/"}) {
            fact("folder", () -> {
                int copies = java.util.Collections.list(loader.getResources(name)).size();
                URL url = loader.getResource(name);
                return name + " " + copies + (url == null ? " none" : " " + found(() -> url)
                        + (url.toString().endsWith("!/" + name) || url.toString().endsWith("!" + name)
                                ? " as asked" : " as " + url));
            });
        }
        // unflagged.jar: names in UTF-8 without the UTF-8 mark.
        fact("unflaggedclass", () -> Class.forName("w2.Ärger").getSimpleName());
        for (String name : new String[] {"w2/Ärger.txt", "w2/中文.txt"})
            fact("unflaggedresource", found(() -> loader.getResource(name)));
    }
}
