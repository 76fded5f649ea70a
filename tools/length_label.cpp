#include "tools/length_label.h"

#include "capture/segment_pick.h"
#include "host/database.h"
#include "host/link.h"

namespace zavin::tools {

LengthLabelResult LabelPickedSegment(const host::Document& document, const annotate::LabelStyle& style,
                                     annotate::CreatedObjectRecord& record) {
  const host::EntityPick pick = document.GetUtility().GetEntity(kLengthLabelPrompt);
  const std::optional<geometry::TAcadLine> segment = capture::SegmentPick(document, pick);
  if (!segment) return LengthLabelResult::NotASegment;
  const host::AngleSettings angles = host::ReadAngleSettings(document);
  // The label's layer must exist before the text is put on it; otherwise the
  // text would stay behind on the current layer, half made.
  host::EnsureLayer(document, style.layer);
  return annotate::SideLengthLabel(document, segment->st, segment->ed, style, angles,
                                   /*checkNeighbours=*/true, record)
             ? LengthLabelResult::Labelled
             : LengthLabelResult::AlreadyLabelled;
}

}  // namespace zavin::tools
