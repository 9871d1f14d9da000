// Code planted in the folder of a document the user opens: never loaded.
public class Planted {
    static {
        System.out.println("PLANTED CODE RAN");
    }
}
