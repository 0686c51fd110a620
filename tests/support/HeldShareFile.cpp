#include "tests/support/HeldShareFile.h"

#include "tests/support/SambaServer.h"

#include <cstdio>
#include <fcntl.h>
#include <libsmbclient.h>

namespace tarvo::test {

namespace {

void answerLogon(SMBCCTX* context, const char*, const char*, char*, int, char* user, int userSize,
                 char* password, int passwordSize)
{
    const auto* held = static_cast<const QString*>(smbc_getOptionUserData(context));
    std::snprintf(user, size_t(userSize), "%s", held[0].toUtf8().constData());
    std::snprintf(password, size_t(passwordSize), "%s", held[1].toUtf8().constData());
}

} // namespace

HeldShareFile::HeldShareFile(const SambaServer& server, const QString& relative, Sharing sharing)
    : m_logon{SambaServer::UserName, server.password()}
{
    const QString url = QStringLiteral("smb://127.0.0.1:%1/share/").arg(server.port()) + relative;
    m_context = smbc_new_context();
    smbc_setOptionNoAutoAnonymousLogin(m_context, true);
    smbc_setFunctionAuthDataWithContext(m_context, answerLogon);
    smbc_setOptionUserData(m_context, m_logon);
    smbc_setOptionOpenShareMode(m_context, sharing == Sharing::ReadAndWrite
                                               ? SMBC_SHAREMODE_DENY_NONE
                                               : SMBC_SHAREMODE_DENY_WRITE);
    if (!smbc_init_context(m_context)) {
        smbc_free_context(m_context, 1);
        m_context = nullptr;
        return;
    }
    m_file = smbc_getFunctionOpen(m_context)(m_context, url.toUtf8().constData(), O_RDWR, 0);
}

HeldShareFile::~HeldShareFile()
{
    if (m_file)
        smbc_getFunctionClose(m_context)(m_context, m_file);
    if (m_context)
        smbc_free_context(m_context, 1);
}

} // namespace tarvo::test
