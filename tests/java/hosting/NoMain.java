package hosting;

// A main class without a main method.
public class NoMain {
    public static void run(String[] args) {}
}
