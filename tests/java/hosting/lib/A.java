package hosting.lib;

public class A {}
