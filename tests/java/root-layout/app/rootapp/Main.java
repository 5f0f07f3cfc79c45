// What an application laid out at the executable's root sees: one "fact=value" line each.
package rootapp;

import java.io.InputStream;
import java.net.JarURLConnection;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.ServiceLoader;
import java.util.jar.JarEntry;
import java.util.jar.JarFile;
import rootlib.LibGreeter;
import rootlib.Versioned;
import shared.Twice;

public class Main {
    public static void main(String[] args) throws Exception {
        System.out.println("loaders=" + Main.class.getClassLoader().getClass().getName() + ","
                + LibGreeter.class.getClassLoader().getClass().getName());
        System.out.println("twice=" + Twice.who());
        List<String> providers = new ArrayList<>();
        for (Greeter greeter : ServiceLoader.load(Greeter.class)) providers.add(greeter.name());
        System.out.println("providers=" + String.join(",", providers));
        System.out.println("appversion=" + Main.class.getPackage().getImplementationVersion());
        System.out.println("libversion=" + LibGreeter.class.getPackage().getImplementationVersion());
        System.out.println("libtitle=" + LibGreeter.class.getPackage().getImplementationTitle());
        System.out.println("multirelease=" + Versioned.which());
        System.out.println("libresource=" + LibGreeter.resource());
        System.out.println("listing=" + listing(Main.class.getClassLoader().getResource("rootapp")));
        System.out.println("licence=" + text(Main.class.getResource("/LICENSE")));
        System.out.println("classurl=" + Main.class.getResource("Main.class"));
        System.out.println("modified=" + ((java.net.JarURLConnection) LibGreeter.class
                .getResource("LibGreeter.class").openConnection()).getJarEntry().getTime());
    }

    static String text(URL url) throws Exception {
        if (url == null) return "<none>";
        try (InputStream in = url.openStream()) {
            return new String(in.readAllBytes(), StandardCharsets.UTF_8).trim();
        }
    }

    // The package's entries, as scanners list a package through its folder's jar: URL.
    static String listing(URL folder) throws Exception {
        if (folder == null) return "<none>";
        JarURLConnection connection = (JarURLConnection) folder.openConnection();
        String name = connection.getEntryName();
        String prefix = name.endsWith("/") ? name : name + "/";
        List<String> names = new ArrayList<>();
        JarFile jar = connection.getJarFile();
        for (JarEntry entry : Collections.list(jar.entries())) {
            if (entry.getName().startsWith(prefix) && !entry.getName().equals(prefix))
                names.add(entry.getName());
        }
        Collections.sort(names);
        return String.join(",", names);
    }
}
