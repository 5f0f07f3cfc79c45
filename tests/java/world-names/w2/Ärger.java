// A class whose name a jar without the UTF-8 mark holds in UTF-8.
package w2;

public class Ärger {}
