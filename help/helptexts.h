#ifndef VANTREL_HELPTEXTS_H
#define VANTREL_HELPTEXTS_H

#include <QString>
#include <QUrl>

QString aboutText();
QUrl homePageUrl();
QUrl donationPageUrl();

#endif
