#include "report/EventRecorder.h"

namespace qvr {

void TEventRecorder::Replay(IReportSink& sink) const {
    for (const TEvent& e : Events) {
        switch (e.Kind) {
        case TKind::ReportStart:
            sink.ReportStart(e.First);
            break;
        case TKind::PresetHeading:
            sink.PresetHeading(e.First, e.Number, e.Second);
            break;
        case TKind::ChainStart:
            sink.ChainStart();
            break;
        case TKind::Module:
            sink.ModuleStart(e.First, e.Slot);
            break;
        case TKind::Value:
            sink.Value(e.First, e.Second);
            break;
        case TKind::Line:
            sink.Line(e.First);
            break;
        case TKind::UserModel:
            sink.UserModelName(e.Slot, e.First);
            break;
        case TKind::End:
            sink.ReportEnd();
            break;
        }
    }
}

} // namespace qvr
