// A class of package two from the jar that seals it, after two.C defined it unsealed.
package two;

public class D {}
