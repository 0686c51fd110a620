#pragma once

#include "platform/FileTypes.h"

#include <optional>
#include <QString>

namespace tarvo {

// One thing a run did, or (in a dry run) would do, to one file. The preview,
// the command line's dry run, the summary's counts and the run record are
// all made of these, so they cannot tell different stories.
struct RunAction
{
    enum class Kind {
        Copy,       // the source copied to a target that did not exist
        Replace,    // the source copied onto an existing target
        Keep,       // a Sync target that looks the same as its source stays
        Prune,      // a Sync target that no source lands on is deleted
        PostCopy,   // a sent source copied into the post folder
        PostMove,   // a sent source moved into the post folder
        PostDelete, // a sent source deleted
        Resume,     // (a dry run) the source's copy would go on from a cut copy's part
    };
    enum class Result {
        Planned, // a dry run: what would be done
        Done,
        Failed,
        Cancelled, // the user stopped the run before it was done
        Declined,  // the user answered No to its question
    };

    RunAction() = default;
    RunAction(Kind kind, Result result, QString session, QString source, QString target,
              quint64 bytes = 0, std::optional<FileTime> sourceTime = {}, QString reason = {})
        : kind(kind)
        , result(result)
        , session(std::move(session))
        , source(std::move(source))
        , target(std::move(target))
        , bytes(bytes)
        , sourceTime(sourceTime)
        , reason(std::move(reason))
    {}

    Kind kind = Kind::Copy;
    Result result = Result::Done;
    QString session;
    QString source; // empty for Prune
    QString target; // the file acted on for Prune and PostDelete
    quint64 bytes = 0;
    std::optional<FileTime> sourceTime;
    std::optional<FileTime> targetTime; // for Replace and Keep, when known
    QString reason;                     // why it failed, in the user's words
    // The bytes that a cut copy's part held, which the copy went (or would
    // go) on from; 0 for a copy from the first byte.
    quint64 resumedFrom = 0;

    // "copy", "replace", "keep", "prune", "post-copy", "post-move", "post-delete",
    // "resume"
    static QString kindName(Kind kind);
    // "planned", "done", "failed", "cancelled", "declined"
    static QString resultName(Result result);
};

} // namespace tarvo
