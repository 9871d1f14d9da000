package hosting;

// A main class whose static initializer throws, as one that loads a missing native library does.
public class BadInit {
    static {
        if (Boolean.parseBoolean("true")) throw new IllegalStateException("static initializer of hosting.BadInit");
    }

    public static void main(String[] args) {}
}
