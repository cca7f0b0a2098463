// The inspector's label choice and the library's label selection are one
// rule: on the San Francisco sample, for the SVG's and the glTF's top views,
// the library keeps exactly the labels the inspector keeps, in its order.

#include <gtest/gtest.h>

#include <meshory/map/label_selection.h>

#include "inspect/gltf_writer.h"
#include "inspect/labels.h"
#include "inspect/replay.h"
#include "inspect/top_view.h"
#include "pack/blob_pack.h"

namespace quorvan::inspect {
namespace {

TEST(LabelRule, LibrarySelectionKeepsWhatTheInspectorKeeps) {
    pack::BlobPack pack;
    pack::PackError error;
    ASSERT_TRUE(pack::readBlobPackFile(MESHORY_SAMPLE_PACK, pack, error)) << error.message;
    const Inspection inspection = inspectPack(pack);
    for (const int width : {1600, kLabelViewPx, 300}) {
        const TopViewLabels labels =
            topViewLabels(inspection, chooseTopView(inspection, pack.grid, width));
        std::vector<S_LabelCandidate> candidates;
        for (const LabelCandidate& c : labels.candidates) {
            candidates.push_back({c.centre, c.size, c.angle, static_cast<float>(c.priority),
                                  c.weight, c.cell, c.text});
        }
        EXPECT_GT(labels.kept.size(), 20u) << width;
        EXPECT_EQ(quorvan::selectLabels(candidates), labels.kept) << width;
    }
}

}  // namespace
}  // namespace quorvan::inspect
