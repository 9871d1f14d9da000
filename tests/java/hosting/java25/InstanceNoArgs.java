package hosting;

// An instance main without parameters (Java 25).
class InstanceNoArgs {
    private final String madeBy = "field initializer ran";

    void main() throws Exception {
        Main.write(madeBy, "instance main()");
    }
}
