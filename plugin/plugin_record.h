#pragma once
// The descriptor record the host reads from GetData. Its fields, in this
// order and with these values, tell the host how to present the plug-in.
// Booleans are 16-bit: True = -1, False = 0.

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "plugin/version.h"

namespace kdrsm {

constexpr qint16 kTrue = -1;
constexpr qint16 kFalse = 0;

struct PLUGIN {
    Q_GADGET
    Q_PROPERTY(QString Name MEMBER Name)
    Q_PROPERTY(QString File MEMBER File)
    Q_PROPERTY(QString Version MEMBER Version)
    Q_PROPERTY(QString Author MEMBER Author)
    Q_PROPERTY(QString Description MEMBER Description)
    Q_PROPERTY(QVariant Game MEMBER Game)
    Q_PROPERTY(qint16 HasInterface MEMBER HasInterface)
    Q_PROPERTY(qint16 ProfileMenu MEMBER ProfileMenu)
    Q_PROPERTY(qint16 ServerMenu MEMBER ServerMenu)
    Q_PROPERTY(qint16 MainMenu MEMBER MainMenu)
    Q_PROPERTY(QVariant ProfileMenuItems MEMBER ProfileMenuItems)
    Q_PROPERTY(QVariant ServerMenuItems MEMBER ServerMenuItems)
    Q_PROPERTY(QVariant MainMenuItems MEMBER MainMenuItems)
    Q_PROPERTY(QString HelpFile MEMBER HelpFile)
    Q_PROPERTY(QString MinRCVer MEMBER MinRCVer)
    Q_PROPERTY(QString MinWOBVer MEMBER MinWOBVer)
    Q_PROPERTY(QString MinZTAVer MEMBER MinZTAVer)
    Q_PROPERTY(QString MinJEXVer MEMBER MinJEXVer)
    Q_PROPERTY(QString MinRCCVer MEMBER MinRCCVer)
public:
    QString Name = QStringLiteral("KDR Server Manager");
    QString File = QStringLiteral("jexrcKDRSM.dll");
    QString Version = versionText();
    QString Author = QStringLiteral("The jexrcKDRSM team");
    QString Description =
        QStringLiteral("This Plugin allows you to manage various settings on your KDR Server.");
    QVariant Game =
        QStringList{QStringLiteral("Delta Force,  V1.5.0.5"),
                    QStringLiteral("Delta Force, NovaWorld Affiliate Server V1.5.0.11A")};
    qint16 HasInterface = kTrue;
    qint16 ProfileMenu = kFalse;
    qint16 ServerMenu = kTrue;
    qint16 MainMenu = kFalse;
    QVariant ProfileMenuItems;  // Empty: never assigned
    QVariant ServerMenuItems = QStringList{QStringLiteral("Server"), QString()};
    QVariant MainMenuItems;  // Empty: never assigned
    QString HelpFile = QStringLiteral("jexrcKDRSM_help.chm");
    QString MinRCVer = QStringLiteral("1201");
    QString MinWOBVer = QStringLiteral("1004");
    QString MinZTAVer = QStringLiteral("1107");
    QString MinJEXVer = QStringLiteral("31001");
    QString MinRCCVer = QStringLiteral("3505");
};

}  // namespace kdrsm

Q_DECLARE_METATYPE(kdrsm::PLUGIN)
