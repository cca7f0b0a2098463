// Label builders: TEXT_DATA picks one text of a label block for the model's
// label; LABEL_STYLE_SEGMENTS files the label segments that pass the filter
// by style, through the handlers that file one element into a model.

#include <map>

#include "debug/debuglog.h"
#include "model/builders/builders.h"
#include "model/builders/labels.h"
#include "model/decode/payload.h"

namespace quorvan {

namespace {

// Longest label text that a UTF-8 rejection hands to the log.
constexpr uint64_t kMaxLoggedText = 1000;

// An empty set restricts nothing.
template <typename Set, typename T>
bool wanted(const Set& set, T value) {
    return set.empty() || set.count(value) != 0;
}

bool passesFilter(const LoadFilter& filter, const SegmentLineElement& e) {
    return wanted(filter.styleIds, static_cast<uint32_t>(e.styleId)) &&
           wanted(filter.variants, e.variant) && wanted(filter.categories, e.category);
}

}  // namespace

void addSegment(std::map<int, std::vector<SegmentLine>>* map, const SegmentLineElement& element) {
    SegmentLine line;
    line.points = element.points;
    line.code = static_cast<int16_t>(element.code);
    (*map)[element.styleId].push_back(std::move(line));
}

void addRoadSegmentToModel(S_Model* model, const SegmentLineElement& element) {
    addSegment(&model->roadSegments, element);
    model->label = element.text;
}

void addPointSegmentToModel(S_Model* model, const SegmentLineElement& element) {
    addSegment(&model->pointSegments, element);
    model->label = element.text;
    if (!element.points.empty()) model->labelPosition = glm::vec3(element.points.front(), 0.0f);
}

namespace builders {

void modelText(const BlobView& blob, const RequestContext& request) {
    const auto labels = extractLabels(blob.payload);
    const auto& wanted = request.filter.variants;
    const S_Label* chosen = nullptr;
    for (const auto& label : labels) {
        if (wanted.count(label.variant)) {
            chosen = &label;
            break;
        }
    }
    // Fallback: the last default text (variant 0).
    for (auto it = labels.rbegin(); !chosen && it != labels.rend(); ++it) {
        if (it->variant == 0) chosen = &*it;
    }
    if (!chosen || !checkUtf8Valid(chosen->text, kMaxLoggedText)) return;
    S_Model* model = &request.model;
    const glm::vec3& origin = request.origin;
    model->labelPosition = {chosen->position.x - origin.x, chosen->position.y - origin.y,
                            0.0f - origin.z};
    model->label = chosen->text;
}

void modelLabelSegments(const BlobView& blob, const RequestContext& request) {
    using Handler = void (*)(S_Model*, const SegmentLineElement&);
    static const std::map<uint8_t, Handler> segmentToModel = {
        {1, addRoadSegmentToModel},
        {2, addPointSegmentToModel},
    };
    const Payload payload = blob.payload;
    if (payload.empty()) return;
    // The whole payload is decoded before anything is filed.
    const auto elements =
        extractLabelSegments(payload.data(), payload.size(), builders::groundOffset(request));
    for (const auto& element : elements) {
        if (!passesFilter(request.filter, element)) continue;
        const auto handler = segmentToModel.find(element.kind);
        if (handler == segmentToModel.end()) {
            log() << "label segment of unknown kind " << static_cast<int>(element.kind);
            continue;
        }
        handler->second(&request.model, element);
    }
}

}  // namespace builders

}  // namespace quorvan
