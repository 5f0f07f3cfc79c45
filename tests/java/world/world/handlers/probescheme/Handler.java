// The "probescheme:" URLs of the probe, found through java.protocol.handler.pkgs.
package world.handlers.probescheme;

import java.io.ByteArrayInputStream;
import java.io.InputStream;
import java.net.URL;
import java.net.URLConnection;
import java.net.URLStreamHandler;

public class Handler extends URLStreamHandler {
    @Override
    protected URLConnection openConnection(URL url) {
        return new URLConnection(url) {
            @Override
            public void connect() {}

            @Override
            public InputStream getInputStream() {
                return new ByteArrayInputStream(("scheme " + url.getPath()).getBytes());
            }
        };
    }
}
