#include "help/helptexts.h"

#include <QCoreApplication>

namespace {
const char kHomePage[] = "https://www.kestrovane.example/vantrel/";
const char kDonationPage[] = "https://www.kestrovane.example/donate.html";
} // namespace

QString aboutText()
{
    return QCoreApplication::translate(
        "MainWindow",
        "<h2>Vantrel 0.0.3</h2>"
        "<p>Copyright &copy; 2026 Dunmarrow. Free to use, copy and change."
        "<p>Vantrel is a graphical front end for skunkboard users. "
        "Vantrel simplifies using your skunkboard with your Jaguar.");
}

QUrl homePageUrl()
{
    return QUrl(QString::fromLatin1(kHomePage));
}

QUrl donationPageUrl()
{
    return QUrl(QString::fromLatin1(kDonationPage));
}
