// A class whose name is not ASCII.
package world;

public class Grüße {
}
