#include "core/forms/SessionForm.h"

#include "config/NetSession.h"
#include "core/forms/ShareText.h"

#include <QList>

namespace tarvo {

namespace {

struct FieldValue
{
    SessionField field;
    const QString& text;
};

QList<FieldValue> fieldsTopToBottom(const SessionForm& form)
{
    return {{SessionField::SessionName, form.sessionName},
            {SessionField::Share, form.share},
            {SessionField::Domain, form.domain},
            {SessionField::UserName, form.userName},
            {SessionField::Password, form.password},
            {SessionField::LocalFolder, form.localFolder},
            {SessionField::PcFolder, form.pcFolder},
            {SessionField::Post, form.post},
            {SessionField::PostFolder, form.postFolder},
            {SessionField::Op, form.op}};
}

FieldProblem problem(SessionField field, const QString& what)
{
    return {field, QStringLiteral("%1 may not %2.").arg(FieldName(field), what)};
}

std::optional<FieldProblem> checkName(const QString& name)
{
    if (name.isEmpty())
        return problem(SessionField::SessionName, QStringLiteral("be empty"));
    for (const QChar c : {QChar(u'='), QChar(u';')}) {
        if (name.contains(c))
            return problem(SessionField::SessionName, QStringLiteral("contain \"%1\"").arg(c));
    }
    if (name.startsWith(u'['))
        return problem(SessionField::SessionName, QStringLiteral("begin with \"[\""));
    if (!name.isEmpty() && (name.front().isSpace() || name.back().isSpace()))
        return problem(SessionField::SessionName, QStringLiteral("begin or end with a blank"));
    return std::nullopt;
}

bool differOnlyInLetterCase(const QString& a, const QString& b)
{
    return a != b && a.compare(b, Qt::CaseInsensitive) == 0;
}

// The table compares names exactly, but a user tells sessions apart by what
// they read: "Office" and "office" would look like one session.
std::optional<FieldProblem> checkLetterCase(const QString& name, const QStringList& sessionNames,
                                            const QString& editedName)
{
    // The edited session under its own name, or a session stored anew under
    // its exact name, adds no name to the table.
    if (name == editedName || sessionNames.contains(name))
        return std::nullopt;
    for (const QString& other : sessionNames) {
        if (other != editedName && differOnlyInLetterCase(name, other))
            return FieldProblem{SessionField::SessionName,
                                QStringLiteral("The session name \"%1\" differs from the "
                                               "session \"%2\" only in letter case. Choose "
                                               "another name.")
                                    .arg(name, other)};
    }
    return std::nullopt;
}

} // namespace

SessionForm SessionFormForAdd()
{
    SessionForm form;
    form.domain = QStringLiteral("WORKGROUP");
    form.post = QStringLiteral("None");
    form.op = QStringLiteral("None");
    return form;
}

SessionForm SessionFormFrom(const NetSession& session)
{
    SessionForm form;
    form.sessionName = session.Name;
    FillFromSession(form, session);
    return form;
}

void FillFromSession(SessionForm& form, const NetSession& session)
{
    form.share = session.shareText();
    form.domain = session.Domain;
    form.userName = session.UserName;
    form.password = session.Password;
    form.localFolder = session.LocalFolder;
    form.pcFolder = session.PcFolder;
    form.post = PostOpName(session.PostOp);
    form.postFolder = session.PostFolder;
    form.op = DirectionName(session.Direction);
}

QString EncodeSessionLine(const SessionForm& form)
{
    return NetSessionLine(form.op, form.share, form.domain, form.localFolder, form.pcFolder,
                          form.post, form.postFolder, form.userName, form.password);
}

bool PostFolderEnabled(const QString& postName)
{
    const PostOperation code = PostOpFromName(postName);
    return code == PostOperation::Copy || code == PostOperation::Move;
}

QString FieldName(SessionField field)
{
    switch (field) {
    case SessionField::SessionName:
        return QStringLiteral("Session");
    case SessionField::Share:
        return QStringLiteral("Share");
    case SessionField::Domain:
        return QStringLiteral("Domain");
    case SessionField::UserName:
        return QStringLiteral("User Name");
    case SessionField::Password:
        return QStringLiteral("Password");
    case SessionField::LocalFolder:
        return QStringLiteral("Local Folder");
    case SessionField::PcFolder:
        return QStringLiteral("PC Folder");
    case SessionField::Post:
        return QStringLiteral("Post");
    case SessionField::PostFolder:
        return QStringLiteral("Post Folder");
    case SessionField::Op:
        return QStringLiteral("Op");
    }
    return QString();
}

std::optional<FieldProblem> CheckSessionForm(const SessionForm& form,
                                             const QStringList& sessionNames,
                                             const QString& editedName)
{
    for (const FieldValue& value : fieldsTopToBottom(form)) {
        if (value.text.contains(u'\n') || value.text.contains(u'\r'))
            return problem(value.field, QStringLiteral("contain a line break"));
        // The password is the rest of the line, so it alone may hold commas.
        if (value.field != SessionField::Password && value.text.contains(u','))
            return problem(
                value.field,
                QStringLiteral("contain \",\", which separates the fields of a session"));
        if (value.field == SessionField::SessionName) {
            if (auto nameProblem = checkName(value.text))
                return nameProblem;
            if (auto caseProblem = checkLetterCase(value.text, sessionNames, editedName))
                return caseProblem;
        }
        if (value.field == SessionField::Share) {
            if (const ParsedShare share = ParseShareText(value.text); !share.accepted())
                return FieldProblem{SessionField::Share, share.problem};
        }
    }
    return std::nullopt;
}

SessionForm WithStoredShare(const SessionForm& form)
{
    SessionForm stored = form;
    if (const ParsedShare share = ParseShareText(form.share); share.accepted())
        stored.share = share.text;
    return stored;
}

NetSession NetSessionOf(const SessionForm& form)
{
    NetSession session;
    session.Name = form.sessionName;
    ParseNetSession(EncodeSessionLine(WithStoredShare(form)), session);
    return session;
}

bool RenamesLetterCase(const QString& editedName, const QString& newName,
                       const QStringList& sessionNames)
{
    return differOnlyInLetterCase(newName, editedName) && !sessionNames.contains(newName);
}

} // namespace tarvo
