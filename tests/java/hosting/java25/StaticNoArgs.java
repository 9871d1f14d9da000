package hosting;

// A static main without parameters (Java 25).
public class StaticNoArgs {
    static void main() throws Exception {
        Main.write("static main()");
    }
}
