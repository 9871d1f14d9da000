package hosting;

// An instance main(String[]), neither public nor static, on an object its constructor made.
public class InstanceMain {
    private final String madeBy;

    InstanceMain() {
        madeBy = "constructor ran";
    }

    void main(String[] args) throws Exception {
        Main.write(madeBy, "instance main(String[]) count " + args.length + " first " + args[0]);
    }
}
