package hosting;

// An instance main whose object cannot be made: the constructor's exception is one of main.
public class ThrowingConstructor {
    public ThrowingConstructor() {
        throw new IllegalStateException("thrown by the constructor of hosting.ThrowingConstructor");
    }

    public void main(String[] args) throws Exception {
        Main.write("main ran");
    }
}
