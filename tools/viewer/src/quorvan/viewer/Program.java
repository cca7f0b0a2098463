package quorvan.viewer;

import static org.lwjgl.opengl.GL11.GL_TRUE;
import static org.lwjgl.opengl.GL20.*;

import java.io.IOException;
import java.io.InputStream;
import java.nio.FloatBuffer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.Map;
import quorvan.meshory.StyleList;

/**
 * One GL program from a pair of shader files: {@code name + ".vertex"} and {@code name +
 * ".fragment"}, the pairing the library's shader factory uses, so the same files build through it
 * for native hosts. Read from a folder when one is given, else from the viewer's jar.
 */
final class Program {
    final String name;
    final int id;
    private final Map<String, Integer> uniforms = new HashMap<>();

    Program(String name, Path folder) throws IOException {
        this.name = name;
        int vertex = compile(GL_VERTEX_SHADER, source(folder, name + ".vertex"), name + ".vertex");
        int fragment =
                compile(GL_FRAGMENT_SHADER, source(folder, name + ".fragment"), name + ".fragment");
        id = glCreateProgram();
        glAttachShader(id, vertex);
        glAttachShader(id, fragment);
        glLinkProgram(id);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        if (glGetProgrami(id, GL_LINK_STATUS) != GL_TRUE) {
            throw new IllegalStateException("program " + name + " does not link:\n"
                    + glGetProgramInfoLog(id, 8192));
        }
    }

    void use() {
        glUseProgram(id);
    }

    int uniform(String uniform) {
        return uniforms.computeIfAbsent(uniform, u -> glGetUniformLocation(id, u));
    }

    /** The camera's three matrices, P, V, S, from {@code matrices} as the camera wrote them. */
    void camera(FloatBuffer matrices) {
        glUniformMatrix4(uniform("u_projection"), false,
                matrices.duplicate().position(0).limit(16));
        glUniformMatrix4(uniform("u_view"), false, matrices.duplicate().position(16).limit(32));
        glUniformMatrix4(uniform("u_scale"), false, matrices.duplicate().position(32).limit(48));
    }

    void colour(StyleList.Rgba c) {
        glUniform4f(uniform("u_colour"), c.r(), c.g(), c.b(), c.a());
    }

    private static String source(Path folder, String file) throws IOException {
        if (folder != null) {
            return Files.readString(folder.resolve(file));
        }
        try (InputStream in = Program.class.getResourceAsStream("shaders/" + file)) {
            if (in == null) {
                throw new IOException("shader " + file + " is not in the viewer's jar");
            }
            return new String(in.readAllBytes(), StandardCharsets.UTF_8);
        }
    }

    private static int compile(int type, String source, String file) {
        int shader = glCreateShader(type);
        glShaderSource(shader, source);
        glCompileShader(shader);
        if (glGetShaderi(shader, GL_COMPILE_STATUS) != GL_TRUE) {
            String log = glGetShaderInfoLog(shader, 8192);
            glDeleteShader(shader);
            throw new IllegalStateException(file + " does not compile:\n" + log);
        }
        return shader;
    }
}
