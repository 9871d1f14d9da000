package hosting;

public class StaticNoArgs {
    static void main() throws Exception {
        Main.write("static main()");
    }
}
