// Stands for code planted in the folder of a document the user opens: it must never be
// loaded, since the current directory is not on the class path.
public class Planted {
    static {
        System.out.println("PLANTED CODE RAN");
    }
}
