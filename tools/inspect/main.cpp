// meshory-inspect: replays a blob pack through the library as the JVM bridge
// does, prints what each layer produced and writes the models as glTF, a top
// view as SVG and a 3D page as self-contained HTML. Exit status: 0 done,
// 1 unreadable pack, 2 bad usage, 3 an output could not be written.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "inspect/gltf_writer.h"
#include "inspect/page_writer.h"
#include "inspect/replay.h"
#include "inspect/svg_writer.h"
#include "inspect/tables.h"
#include "pack/blob_pack.h"

namespace {

using namespace quorvan;

constexpr const char* kUsage =
    "usage: meshory-inspect [options] PACK\n"
    "\n"
    "Builds every model request of a blob pack through libmeshory, as the JVM\n"
    "bridge does, and prints a summary per layer.\n"
    "\n"
    "  --out DIR        write DIR/<pack name>.gltf (+ .bin), .svg and .html\n"
    "  --gltf FILE      write the models as glTF 2.0 to FILE (+ a .bin beside it)\n"
    "  --svg FILE       write a top view as SVG to FILE\n"
    "  --page FILE      write a 3D page (self-contained HTML, opens from disk) to FILE\n"
    "  --page-script FILE\n"
    "                   the page's bundled script (default: the\n"
    "                   meshory-page.js the build puts beside this program)\n"
    "  --svg-width PX   width of the SVG picture (default 1600)\n"
    "  --counts         print stable per-layer counts instead of the table\n"
    "  --quiet          no progress on stderr\n"
    "  --help           this text\n";

struct Options {
    std::string pack;
    std::string outDir;
    std::string gltf;
    std::string svg;
    std::string page;
    std::string pageScript;
    int svgWidth = 1600;
    bool counts = false;
    bool quiet = false;
};

int usage(const char* problem) {
    std::fprintf(stderr, "meshory-inspect: %s\n\n%s", problem, kUsage);
    return 2;
}

// Progress on long inputs only: nothing for the first half second, then at
// most five updates a second, rewritten in place on a terminal.
class ProgressLine {
public:
    explicit ProgressLine(bool enabled) : enabled_(enabled), tty_(isatty(STDERR_FILENO) != 0) {}

    void update(size_t done, size_t total) {
        if (!enabled_) return;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::milliseconds(500) && done < total) return;
        if (now - last_ < std::chrono::milliseconds(200) && done < total) return;
        if (!shown_ && done == total) return;  // finished before it was worth showing
        last_ = now;
        const int percent = total ? static_cast<int>(done * 100 / total) : 100;
        if (tty_) {
            std::fprintf(stderr, "\rbuilding models: %3d%% (%zu/%zu)", percent, done, total);
            if (done == total) std::fputc('\n', stderr);
        } else if (percent / 10 != lastDecile_ || done == total) {
            std::fprintf(stderr, "building models: %d%% (%zu/%zu)\n", percent, done, total);
            lastDecile_ = percent / 10;
        }
        shown_ = true;
    }

private:
    using Clock = std::chrono::steady_clock;
    bool enabled_;
    bool tty_;
    bool shown_ = false;
    int lastDecile_ = -1;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_{};
};

std::string defaultPageScript() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return inspect::kPageScriptName;
    return (self.parent_path() / inspect::kPageScriptName).string();
}

int run(const Options& options) {
    pack::BlobPack blobs;
    pack::PackError error;
    if (!pack::readBlobPackFile(options.pack, blobs, error)) {
        std::fprintf(stderr, "meshory-inspect: %s: %s\n", options.pack.c_str(),
                     error.message.c_str());
        return 1;
    }
    size_t blobCount = 0;
    for (const auto& request : blobs.requests) blobCount += request.blobs.size();
    if (!options.counts) {
        std::printf(
            "%s: %zu requests, %zu blobs, grid %d x %d cells over (%.1f, %.1f) .. (%.1f, %.1f)\n",
            options.pack.c_str(), blobs.requests.size(), blobCount, blobs.grid.cellsInRow,
            blobs.grid.cellsInCol, blobs.grid.bounds.x1, blobs.grid.bounds.y1, blobs.grid.bounds.x2,
            blobs.grid.bounds.y2);
    }

    ProgressLine progress(!options.quiet);
    const inspect::Inspection inspection = inspect::inspectPack(
        blobs, [&](size_t done, size_t total) { progress.update(done, total); });
    std::fputs(
        (options.counts ? inspect::formatCounts(inspection) : inspect::formatTable(inspection))
            .c_str(),
        stdout);
    std::fflush(stdout);

    std::string gltfPath = options.gltf;
    std::string svgPath = options.svg;
    std::string pagePath = options.page;
    const std::string scriptPath =
        options.pageScript.empty() ? defaultPageScript() : options.pageScript;
    // --out asks for a page only where the build could make its script.
    bool pageOptional = false;
    if (!options.outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.outDir, ec);
        if (ec) {
            std::fprintf(stderr, "meshory-inspect: cannot create %s: %s\n", options.outDir.c_str(),
                         ec.message().c_str());
            return 3;
        }
        const std::string stem = std::filesystem::path(options.pack).stem().string();
        if (gltfPath.empty())
            gltfPath = (std::filesystem::path(options.outDir) / (stem + ".gltf")).string();
        if (svgPath.empty())
            svgPath = (std::filesystem::path(options.outDir) / (stem + ".svg")).string();
        if (pagePath.empty()) {
            pagePath = (std::filesystem::path(options.outDir) / (stem + ".html")).string();
            pageOptional = true;
        }
    }

    std::string writeError;
    if (!gltfPath.empty()) {
        inspect::GltfSummary summary;
        if (!inspect::writeGltf(inspection, gltfPath, summary, writeError)) {
            std::fprintf(stderr, "meshory-inspect: %s\n", writeError.c_str());
            return 3;
        }
        std::fprintf(stderr,
                     "wrote %s: %zu meshes, %zu triangles (%zu zero-area left out), %zu segments, "
                     "%zu points\n",
                     gltfPath.c_str(), summary.meshes, summary.triangles, summary.droppedTriangles,
                     summary.segments, summary.points);
    }
    if (!svgPath.empty()) {
        inspect::SvgSummary summary;
        if (!inspect::writeSvg(inspection, blobs.grid, svgPath, {options.svgWidth}, summary,
                               writeError)) {
            std::fprintf(stderr, "meshory-inspect: %s\n", writeError.c_str());
            return 3;
        }
        std::fprintf(stderr,
                     "wrote %s: %zu of %zu labels (overlapping or repeated ones left out)\n",
                     svgPath.c_str(), summary.labelsDrawn, summary.labelCandidates);
    }
    if (!pagePath.empty()) {
        if (pageOptional && !std::filesystem::exists(scriptPath)) {
            std::fprintf(stderr, "no 3D page: %s was not built (it needs npm)\n",
                         scriptPath.c_str());
            return 0;
        }
        const std::string title = std::filesystem::path(options.pack).stem().string();
        if (!inspect::writePage(inspection, title, scriptPath, pagePath, writeError)) {
            std::fprintf(stderr, "meshory-inspect: %s\n", writeError.c_str());
            return 3;
        }
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(pagePath, ec);
        std::printf("3D page: file://%s\n", (ec ? pagePath : absolute.string()).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--out") {
            if (!value(options.outDir)) return usage("--out needs a directory");
        } else if (arg == "--gltf") {
            if (!value(options.gltf)) return usage("--gltf needs a file name");
        } else if (arg == "--svg") {
            if (!value(options.svg)) return usage("--svg needs a file name");
        } else if (arg == "--page") {
            if (!value(options.page)) return usage("--page needs a file name");
        } else if (arg == "--page-script" || arg == "--viewer") {
            // --viewer: the option's former name, still taken from older scripts.
            if (!value(options.pageScript)) return usage((arg + " needs a file name").c_str());
        } else if (arg == "--svg-width") {
            std::string width;
            if (!value(width)) return usage("--svg-width needs a number");
            char* end = nullptr;
            const long px = std::strtol(width.c_str(), &end, 10);
            if (*end != '\0' || px < 16 || px > 100000)
                return usage("--svg-width takes 16 to 100000 pixels");
            options.svgWidth = static_cast<int>(px);
        } else if (arg == "--counts") {
            options.counts = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else if (options.pack.empty()) {
            options.pack = arg;
        } else {
            return usage("only one pack at a time");
        }
    }
    if (options.pack.empty()) return usage("no pack given");
    // Only the inspector's own messages reach the user: they name the pack,
    // what is wrong and where.
    try {
        return run(options);
    } catch (const inspect::InspectFailure& e) {
        std::fprintf(stderr, "meshory-inspect: %s: %s\n", options.pack.c_str(), e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "meshory-inspect: %s: out of memory\n", options.pack.c_str());
    } catch (const std::exception&) {
        std::fprintf(stderr, "meshory-inspect: %s: cannot be inspected (unexpected failure)\n",
                     options.pack.c_str());
    }
    return 1;
}
