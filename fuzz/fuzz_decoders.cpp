// Every payload decoder on raw bytes. The last byte picks the decoder; the
// bytes before it are the payload.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/decode/payload.h"
#include "provider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    if (size == 0) return 0;
    FuzzedDataProvider in(data, size);
    const int which = in.ConsumeIntegralInRange(0, 3);
    // An exact-size copy, so that an overrun is caught.
    const std::vector<uint8_t> body = in.ConsumeRemainingBytes<uint8_t>();
    const size_t n = body.size();
    switch (which) {
        case 0: {
            volatile size_t count = extractVertexes(body.data(), n, glm::vec2(1.5f, -2.0f)).size();
            (void)count;
            break;
        }
        case 1: {
            std::vector<glm::vec2> v;
            std::vector<uint16_t> i, s;
            float h = 0;
            extractIndexedVertexes(body.data(), n, glm::vec2(3, 4), v, i, s, h);
            break;
        }
        case 2: {
            std::vector<glm::vec3> v;
            std::vector<uint16_t> i, s;
            float h = 0;
            extractIndexedVertexes(body.data(), n, glm::vec3(3, 4, 5), v, i, s, h);
            break;
        }
        default: {
            for (const auto& label : extractLabels(body)) checkUtf8Valid(label.text, 1000);
            break;
        }
    }
    return 0;
}
