#!/usr/bin/env bash
# Writes the benchmark's applications into the current directory: hello.jar, classes.jar
# (3,000 generated classes and a main class that loads them all), large.jar and
# packages.jar (a class in each of 300 packages, under a manifest of 2 MB), resource.jar
# (a stored resource of 50 MB that does not compress, and a main class that reads it).
# usage: bench/generate.sh   (run by bench/run.sh in its work directory)
set -euo pipefail
rm -rf src out ./*.jar
mkdir -p src/hello src/classes src/large src/packages src/resource/data
cat > src/hello/Hello.java <<'JAVA'
public class Hello {
    public static void main(String[] args) { System.out.println("hello"); }
}
JAVA
# 3,000 classes in 30 packages, each with fields, a static initialiser and a few methods
# (written with builtins only: a process per file would take minutes).
for ((p = 0; p < 30; ++p)); do
  mkdir -p "src/classes/gen/p$p"
  for ((i = 0; i < 100; ++i)); do
    printf '%s\n' \
      "package gen.p$p;" \
      "public class C$i {" \
      "    static final String NAME = \"gen.p$p.C$i\";" \
      "    static int counter;" \
      "    private final int value;" \
      "    static { counter = $i * 7 + $p; }" \
      "    public C$i(int value) { this.value = value; }" \
      "    public int value() { return value + counter; }" \
      "    public String describe(int x) { return NAME + \":\" + (x + value) + \"/\" + counter; }" \
      "    public static int mix(int a, int b) { return (a * 31 + b) ^ ($i << 3) ^ $p; }" \
      "    public java.util.List<String> names(int n) {" \
      "        java.util.List<String> out = new java.util.ArrayList<>();" \
      "        for (int k = 0; k < n; ++k) out.add(NAME + k);" \
      "        return out;" \
      "    }" \
      "}" >"src/classes/gen/p$p/C$i.java"
  done
done
cat > src/classes/LoadClasses.java <<'JAVA'
public class LoadClasses {
    public static void main(String[] args) throws Exception {
        ClassLoader loader = LoadClasses.class.getClassLoader();
        long start = System.nanoTime();
        int loaded = 0;
        for (int p = 0; p < 30; ++p)
            for (int i = 0; i < 100; ++i)
                if (Class.forName("gen.p" + p + ".C" + i, true, loader) != null) ++loaded;
        long micros = (System.nanoTime() - start) / 1000;
        System.out.println("loaded " + loaded + " classes in " + micros + " us");
    }
}
JAVA
cat > src/large/Main.java <<'JAVA'
public class Main {
    public static void main(String[] args) { System.out.println("main reached"); }
}
JAVA
# One class in each of 300 packages, and a manifest of 2 MB after its main section: a
# digest section per entry, as a signed jar of some 22,000 entries has.
for ((p = 0; p < 300; ++p)); do
  mkdir -p "src/packages/pk$p"
  printf 'package pk%d;\npublic class C { public static int id() { return %d; } }\n' "$p" "$p" \
    >"src/packages/pk$p/C.java"
done
cat > src/packages/LoadPackages.java <<'JAVA'
public class LoadPackages {
    public static void main(String[] args) throws Exception {
        int loaded = 0;
        for (int p = 0; p < 300; ++p)
            if (Class.forName("pk" + p + ".C").getPackage().getImplementationTitle() != null) ++loaded;
        System.out.println("loaded " + loaded + " packages");
    }
}
JAVA
{
  printf 'Manifest-Version: 1.0\nMain-Class: LoadPackages\nImplementation-Title: packages\n\n'
  for ((i = 0; i < 22500; ++i)); do
    printf 'Name: pk%d/R%d.class\nSHA-256-Digest: 47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=\n\n' \
      $((i % 300)) "$i"
  done
} >packages.mf
javac -nowarn -d out/hello src/hello/Hello.java
jar cfe hello.jar Hello -C out/hello .
find src/classes -name '*.java' > classes.list
javac -nowarn -d out/classes @classes.list
jar cfe classes.jar LoadClasses -C out/classes .
javac -nowarn -d out/large src/large/Main.java
jar cfe large.jar Main -C out/large .
find src/packages -name '*.java' > packages.list
javac -nowarn -d out/packages @packages.list
jar cfm packages.jar packages.mf -C out/packages .
cat > src/resource/ReadResource.java <<'JAVA'
public class ReadResource {
    public static void main(String[] args) throws Exception {
        long start = System.nanoTime(), total = 0;
        byte[] chunk = new byte[64 * 1024];
        try (java.io.InputStream in = ReadResource.class.getResourceAsStream("/data/large.bin")) {
            for (int n; (n = in.read(chunk)) > 0; ) total += n;
        }
        long micros = (System.nanoTime() - start) / 1000;
        System.out.println("read " + total + " bytes in " + micros + " us");
    }
}
JAVA
head -c 50000000 /dev/urandom >src/resource/data/large.bin
javac -nowarn -d out/resource src/resource/ReadResource.java
jar --create --no-compress --file resource.jar --main-class ReadResource -C out/resource . \
  -C src/resource data
