// The goal oru:pack: runs oru-pack on the project's jar and its runtime dependencies.
package com.vostrand.oru.maven;

import java.io.File;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.AbstractMojo;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.LifecyclePhase;
import org.apache.maven.plugins.annotations.Mojo;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.plugins.annotations.ResolutionScope;
import org.apache.maven.project.MavenProject;

/**
 * Packs the project's main artifact, with its runtime dependencies as library jars, into
 * one executable: the launcher of the chosen target followed by the application.
 */
@Mojo(name = "pack", defaultPhase = LifecyclePhase.PACKAGE, threadSafe = true,
        requiresDependencyResolution = ResolutionScope.RUNTIME)
public class PackMojo extends AbstractMojo {
    @Parameter(defaultValue = "${project}", readonly = true, required = true)
    private MavenProject project;

    /** The oru-pack to run: a path, or a name looked up on PATH. */
    @Parameter(property = "oru.pack", defaultValue = "oru-pack")
    private String oruPack;

    /** windows-x86, windows-x64 or linux-x64; by default oru-pack chooses from the output's name. */
    @Parameter(property = "oru.target")
    private String target;

    /** The launcher file to pack into, instead of an installed target's. */
    @Parameter(property = "oru.launcher")
    private File launcher;

    /** The executable to write; by default the final name in the build folder (.exe for Windows). */
    @Parameter(property = "oru.outputFile")
    private File outputFile;

    /** The main class; by default the Main-Class of the jar's manifest. */
    @Parameter(property = "oru.mainClass")
    private String mainClass;

    /** The lowest Java version that may run the application, such as 11. */
    @Parameter(property = "oru.minJre")
    private String minJre;

    /** Virtual-machine options, such as -Xmx512m. */
    @Parameter
    private List<String> options = new ArrayList<>();

    /** System properties, name to value. */
    @Parameter
    private Map<String, String> properties = new TreeMap<>();

    /** Further configuration lines, as stored ("KEY VALUE"). */
    @Parameter
    private List<String> configuration = new ArrayList<>();

    /** Windows: a BMP picture shown while the application starts. */
    @Parameter
    private File splash;

    /** Windows: the executable's icon (an ICO file). */
    @Parameter
    private File icon;

    /** Windows: the version resource's strings (FileDescription, ProductVersion, ...). */
    @Parameter
    private Map<String, String> versionInfo = new TreeMap<>();

    /** Windows: a console program rather than a GUI one. */
    @Parameter(property = "oru.console", defaultValue = "false")
    private boolean console;

    /** A Java runtime shipped in this folder beside the executable. */
    @Parameter(property = "oru.runtimeDir")
    private String runtimeDir;

    /** Skips the packing. */
    @Parameter(property = "oru.skip", defaultValue = "false")
    private boolean skip;

    @Override
    public void execute() throws MojoExecutionException, MojoFailureException {
        if (skip) {
            getLog().info("Skipping oru:pack");
            return;
        }
        File jar = project.getArtifact().getFile();
        if (jar == null || !jar.isFile())
            throw new MojoExecutionException("No jar to pack: oru:pack runs after the jar is made"
                    + " (the package phase of a jar project)");
        File output = outputFile != null ? outputFile : defaultOutput();
        List<String> command = command(jar, output);
        getLog().debug("Running " + String.join(" ", command));
        run(command);
        getLog().info("Packed " + output);
    }

    private File defaultOutput() {
        // Without a target oru-pack packs for the machine it runs on.
        boolean windows = target != null && !target.isEmpty() ? target.startsWith("windows")
                : launcher == null && System.getProperty("os.name", "").startsWith("Windows");
        String name = project.getBuild().getFinalName() + (windows ? ".exe" : "");
        return new File(project.getBuild().getDirectory(), name);
    }

    private List<String> command(File jar, File output) {
        List<String> command = new ArrayList<>();
        command.add(oruPack);
        if (launcher != null) add(command, "--launcher", launcher.getPath());
        else if (target != null && !target.isEmpty()) add(command, "--target", target);
        add(command, "--jar", jar.getPath());
        for (Artifact artifact : project.getArtifacts()) {
            File file = artifact.getFile();
            if (file != null && artifact.getArtifactHandler().isAddedToClasspath())
                add(command, "--lib", file.getPath());
        }
        add(command, "-o", output.getPath());
        if (mainClass != null) add(command, "--main-class", mainClass);
        if (minJre != null) add(command, "--minjre", minJre);
        for (String option : options) add(command, "--option", option);
        for (Map.Entry<String, String> entry : new TreeMap<>(properties).entrySet())
            add(command, "--property", entry.getKey() + "=" + entry.getValue());
        for (String line : configuration) add(command, "--config", line);
        if (runtimeDir != null) add(command, "--runtime-dir", runtimeDir);
        if (splash != null) add(command, "--splash", splash.getPath());
        if (icon != null) add(command, "--icon", icon.getPath());
        for (Map.Entry<String, String> entry : new TreeMap<>(versionInfo).entrySet())
            add(command, "--version-info", entry.getKey() + "=" + entry.getValue());
        if (console) command.add("--console");
        return command;
    }

    private static void add(List<String> command, String option, String value) {
        command.add(option);
        command.add(value);
    }

    // oru-pack prints nothing when it succeeds, and one line when it fails: that line
    // becomes the build's failure.
    private void run(List<String> command) throws MojoExecutionException, MojoFailureException {
        Process process;
        try {
            process = new ProcessBuilder(command).redirectErrorStream(true).start();
        } catch (IOException e) {
            throw new MojoExecutionException("Cannot run " + oruPack + " (" + e.getMessage()
                    + "): install oru, or name oru-pack with <oruPack>", e);
        }
        try {
            process.getOutputStream().close();
            String output = new String(process.getInputStream().readAllBytes()).trim();
            int status = process.waitFor();
            if (status != 0)
                throw new MojoFailureException(output.isEmpty() ? oruPack + " exited with " + status : output);
            if (!output.isEmpty()) getLog().info(output);
        } catch (IOException e) {
            throw new MojoExecutionException("Cannot read the output of " + oruPack, e);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new MojoExecutionException("Interrupted while running " + oruPack, e);
        }
    }
}
