#pragma once

#include "platform/PasswordKeyring.h"

namespace tarvo {

// The program's passwords in the freedesktop Secret Service, through
// libsecret. Items are looked up by their attributes alone, whatever schema
// name they were stored under, so that an item made with
//
//   secret-tool store --label=Office application tarvo session Office
//
// is found as well as one the program stored. The program stores its items
// in the default collection (the login keyring) with the attributes
// application, session, share and user.
class SecretServiceKeyring : public PasswordKeyring
{
public:
    KeyringResult load(QList<KeyringItem>& items) override;
    KeyringResult store(const KeyringItem& item) override;
    KeyringResult remove(const QString& session) override;
};

} // namespace tarvo
