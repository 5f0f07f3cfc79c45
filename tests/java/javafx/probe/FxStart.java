// A JavaFX application without a main method, which java hands to JavaFX's own launcher.
// Compiled by its test, against the OpenJFX that the machine may not have.
package probe;

import javafx.application.Application;
import javafx.application.Platform;
import javafx.stage.Stage;

public class FxStart extends Application {
    @Override
    public void start(Stage stage) {
        System.out.println("JavaFX start " + getParameters().getRaw());
        Platform.exit();
    }
}
