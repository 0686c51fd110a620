#include "core/transfer/RunAction.h"

namespace tarvo {

QString RunAction::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Copy:
        return QStringLiteral("copy");
    case Kind::Replace:
        return QStringLiteral("replace");
    case Kind::Keep:
        return QStringLiteral("keep");
    case Kind::Prune:
        return QStringLiteral("prune");
    case Kind::PostCopy:
        return QStringLiteral("post-copy");
    case Kind::PostMove:
        return QStringLiteral("post-move");
    case Kind::PostDelete:
        return QStringLiteral("post-delete");
    case Kind::Resume:
        return QStringLiteral("resume");
    }
    return {};
}

QString RunAction::resultName(Result result)
{
    switch (result) {
    case Result::Planned:
        return QStringLiteral("planned");
    case Result::Done:
        return QStringLiteral("done");
    case Result::Failed:
        return QStringLiteral("failed");
    case Result::Cancelled:
        return QStringLiteral("cancelled");
    case Result::Declined:
        return QStringLiteral("declined");
    }
    return {};
}

} // namespace tarvo
