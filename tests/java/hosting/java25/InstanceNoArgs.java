package hosting;

// An instance main without parameters in a class that is not public.
class InstanceNoArgs {
    private final String madeBy = "field initializer ran";

    void main() throws Exception {
        Main.write(madeBy, "instance main()");
    }
}
