#include "tools/length_label.h"

#include "capture/segment_pick.h"
#include "host/link.h"

namespace zavin::tools {

LengthLabelResult LabelPickedSegment(const host::Document& document, const annotate::LabelStyle& style,
                                     annotate::CreatedObjectRecord& record) {
  const host::EntityPick pick = document.GetUtility().GetEntity(kLengthLabelPrompt);
  const std::optional<geometry::TAcadLine> segment = capture::SegmentPick(document, pick);
  if (!segment) return LengthLabelResult::NotASegment;
  const host::AngleSettings angles = host::ReadAngleSettings(document);
  return annotate::SideLengthLabel(document, segment->st, segment->ed, style, angles,
                                   /*checkNeighbours=*/true, record)
             ? LengthLabelResult::Labelled
             : LengthLabelResult::AlreadyLabelled;
}

}  // namespace zavin::tools
