'''dbusmock template: the stock notification-daemon mock plus the Inhibited property
that KDE's and other notification servers expose for do-not-disturb.

Parameters: "Inhibited" (bool, default false).
'''

import dbus

from dbusmock.templates import notification_daemon

BUS_NAME = notification_daemon.BUS_NAME
MAIN_OBJ = notification_daemon.MAIN_OBJ
MAIN_IFACE = notification_daemon.MAIN_IFACE
SYSTEM_BUS = False


def load(mock, parameters):
    notification_daemon.load(mock, parameters)
    mock.AddProperty(MAIN_IFACE, 'Inhibited', dbus.Boolean(parameters.get('Inhibited', False)))
