#include "SettingsAvailability.h"

#include "IniFile.h"
#include "LookUpSettings.h"
#include "RdapAvailability.h"
#include "SetupKeys.h"
#include "WhoisAvailability.h"
#include "WhoisServerSetting.h"

SettingsAvailability::SettingsAvailability(QString settingsPath, Options options, QObject *parent)
    : RegistrationLookup(parent), m_settingsPath(std::move(settingsPath)), m_options(std::move(options))
{
}

SettingsAvailability::~SettingsAvailability() = default;

void SettingsAvailability::start(const QString &asciiName)
{
    cancel();
    delete std::exchange(m_current, nullptr);
    const IniDocument file = IniDocument::load(m_settingsPath);
    const LookUpSettings lookUp = LookUpSettings::read(file, SetupKeys::Section);
    if (lookUp.protocol == LookUpSettings::Protocol::Rdap) {
        RdapLookup::Options o;
        o.bootstrapUrl = lookUp.rdapBootstrap;
        o.extraCaCertificates = m_options.extraCaCertificates;
        o.connectTimeoutMs = m_options.waits.connectWaitMs;
        o.idleTimeoutMs = m_options.waits.idleWaitMs;
        o.lookUpTimeoutMs = m_options.waits.lookUpWaitMs;
        m_current = new RdapAvailability(o, this);
    } else {
        FieldText::Mending mending;
        m_current = new WhoisAvailability(WhoisServerSetting::read(file, mending), m_options.waits, this);
    }
    connect(m_current, &RegistrationLookup::answered, this, &RegistrationLookup::answered);
    m_current->start(asciiName);
}

void SettingsAvailability::cancel()
{
    if (m_current)
        m_current->cancel();
}
