package hosting;

// An instance main(String[]), neither public nor static, on an object the no-argument
// constructor made (Java 25).
public class InstanceMain {
    private final String madeBy;

    InstanceMain() {
        madeBy = "constructor ran";
    }

    void main(String[] args) throws Exception {
        Main.write(madeBy, "instance main(String[]) count " + args.length + (args.length > 0 ? " first " + args[0] : ""));
    }
}
