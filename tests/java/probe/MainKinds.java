// Main classes of each kind that Java 25's launcher starts, and two that it refuses; each
// main prints which one ran.
package probe;

class StaticArgs {
    public static void main(String[] args) {
        System.out.println("static main(String[]) " + args.length);
    }
}

class StaticNoArgs {
    static void main() {
        System.out.println("static main()");
    }
}

class InstanceNoArgs {
    void main() {
        System.out.println("instance main() of " + getClass().getSimpleName());
    }
}

class InstanceArgs {
    void main(String[] args) {
        System.out.println("instance main(String[]) " + args.length);
    }
}

// main(String[]) is looked for before main(), whether static or not.
class ArgsBeforeStatic {
    void main(String[] args) {
        System.out.println("instance main(String[]) " + args.length);
    }

    static void main() {
        System.out.println("static main()");
    }
}

// A private main does not count.
class PrivateArgs {
    private void main(String[] args) {
        System.out.println("private main(String[])");
    }

    void main() {
        System.out.println("instance main()");
    }
}

class InheritedMain extends InstanceNoArgs {}

class PrivateConstructor {
    private PrivateConstructor() {}

    void main() {
        System.out.println("instance main()");
    }
}

class InstanceThrows {
    void main() {
        System.out.println("before");
        throw new IllegalStateException("thrown by an instance main");
    }
}
