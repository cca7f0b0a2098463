// The label-segment decoder on raw bytes, then every element filed into a
// model the way the builder files it. The first 8 bytes are the origin (two
// raw floats), the rest the payload.
// Property: a truncated payload decodes to a prefix of the whole one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/builders/labels.h"
#include "model/decode/payload.h"
#include "provider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    if (size < sizeof(glm::vec2)) return 0;
    FuzzedDataProvider in(data, size);
    const glm::vec2 offset = consumeRaw<glm::vec2>(in);
    // Exact-size copies, so that an overrun of either length is caught.
    const std::vector<uint8_t> whole = in.ConsumeRemainingBytes<uint8_t>();
    const std::vector<uint8_t> half(whole.begin(), whole.begin() + whole.size() / 2);

    const auto all = extractLabelSegments(whole.data(), whole.size(), offset);
    const auto prefix = extractLabelSegments(half.data(), half.size(), offset);
    if (prefix.size() > all.size()) __builtin_trap();
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (prefix[i].text != all[i].text || prefix[i].points.size() != all[i].points.size())
            __builtin_trap();
    }

    S_Model model;
    for (const auto& element : all) {
        checkUtf8Valid(element.text, 1000);
        if (element.kind == 1) addRoadSegmentToModel(&model, element);
        if (element.kind == 2) addPointSegmentToModel(&model, element);
    }
    return 0;
}
