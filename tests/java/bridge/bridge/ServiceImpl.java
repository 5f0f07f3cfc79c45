// The provider of Service, found by ServiceLoader through the launcher's class loader.
package bridge;

public class ServiceImpl implements Service {
    public String name() { return "ServiceImpl"; }
}
