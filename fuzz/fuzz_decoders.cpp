// Every payload decoder on raw bytes. The first byte picks the decoder.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/payload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    if (size == 0) return 0;
    const uint8_t which = data[0];
    const uint8_t* body = data + 1;
    const size_t n = size - 1;
    switch (which % 4) {
        case 0: {
            volatile size_t count = extractVertexes(body, n, glm::vec2(1.5f, -2.0f)).size();
            (void)count;
            break;
        }
        case 1: {
            std::vector<glm::vec2> v;
            std::vector<uint16_t> i, s;
            float h = 0;
            extractIndexedVertexes(body, n, glm::vec2(3, 4), v, i, s, h);
            break;
        }
        case 2: {
            std::vector<glm::vec3> v;
            std::vector<uint16_t> i, s;
            float h = 0;
            extractIndexedVertexes(body, n, glm::vec3(3, 4, 5), v, i, s, h);
            break;
        }
        default: {
            const std::vector<uint8_t> bytes(body, body + n);
            for (const auto& label : extractLabels(bytes)) checkUtf8Valid(label.text, 1000);
            break;
        }
    }
    return 0;
}
