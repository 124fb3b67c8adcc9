'''dbusmock template: a GeoClue2 service with one client and one location.

Parameters: "Deny" (bool) makes Start fail with AccessDenied, as when the desktop (or
the user) refuses location; "Latitude" and "Longitude" (double) place the location.
'''

import dbus

BUS_NAME = 'org.freedesktop.GeoClue2'
MAIN_OBJ = '/org/freedesktop/GeoClue2/Manager'
MAIN_IFACE = 'org.freedesktop.GeoClue2.Manager'
SYSTEM_BUS = True

CLIENT_OBJ = '/org/freedesktop/GeoClue2/Client/1'
CLIENT_IFACE = 'org.freedesktop.GeoClue2.Client'
LOCATION_OBJ = '/org/freedesktop/GeoClue2/Location/1'
LOCATION_IFACE = 'org.freedesktop.GeoClue2.Location'


def load(mock, parameters):
    mock.AddMethod(MAIN_IFACE, 'GetClient', '', 'o', f'ret = dbus.ObjectPath("{CLIENT_OBJ}")')
    mock.AddProperties(MAIN_IFACE, {'InUse': False, 'AvailableAccuracyLevel': dbus.UInt32(8)})
    mock.AddObject(LOCATION_OBJ, LOCATION_IFACE, {
        'Latitude': dbus.Double(parameters.get('Latitude', 48.137)),
        'Longitude': dbus.Double(parameters.get('Longitude', 11.575)),
        'Accuracy': dbus.Double(5000.0),
        'Timestamp': dbus.Struct((dbus.UInt64(1700000000), dbus.UInt64(500000)), signature='tt'),
    }, [])
    if parameters.get('Deny', False):
        start = ('raise dbus.exceptions.DBusException("location is off", '
                 'name="org.freedesktop.DBus.Error.AccessDenied")')
    else:
        # dbusmock cannot send an object path through UpdateProperties: store it directly.
        start = (f'self.props["{CLIENT_IFACE}"]["Location"] = dbus.ObjectPath("{LOCATION_OBJ}"); '
                 f'self.UpdateProperties("{CLIENT_IFACE}", {{"Active": dbus.Boolean(True)}}); '
                 f'self.EmitSignal("{CLIENT_IFACE}", "LocationUpdated", "oo", '
                 f'[dbus.ObjectPath("/"), dbus.ObjectPath("{LOCATION_OBJ}")])')
    mock.AddObject(CLIENT_OBJ, CLIENT_IFACE, {
        'Location': dbus.ObjectPath('/'),
        'DesktopId': '',
        'RequestedAccuracyLevel': dbus.UInt32(0),
        'DistanceThreshold': dbus.UInt32(0),
        'TimeThreshold': dbus.UInt32(0),
        'Active': False,
    }, [
        ('Start', '', '', start),
        ('Stop', '', '', f'self.UpdateProperties("{CLIENT_IFACE}", {{"Active": dbus.Boolean(False)}})'),
    ])
