package hosting;

// An instance main whose object cannot be made: the constructor is the program's own
// code, and its exception is handled as one that main threw.
public class ThrowingConstructor {
    public ThrowingConstructor() {
        throw new IllegalStateException("thrown by the constructor of hosting.ThrowingConstructor");
    }

    public void main(String[] args) throws Exception {
        Main.write("main ran");
    }
}
