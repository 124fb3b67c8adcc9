'''dbusmock template: a GeoClue2 service that hands out numbered clients and one location.

Parameters: "Deny" (bool) makes Start fail with AccessDenied, as when the desktop (or
the user) refuses location; "Latitude" and "Longitude" (double) place the location;
"TakenClients" (int) is how many clients other programs already hold: GetClient then
answers the next number, and starting one of theirs is refused, as GeoClue refuses a
caller that does not own the client.

The mock interface's SetDeny(bool) changes the answer to Start from then on, as the
user changing the desktop's location setting would. Its HandOverClient() gives the client GetClient answers now to
another program (its Start is refused from then on) and makes GetClient answer a new
number, as a daemon that quit and came back with its numbering started afresh would.
'''

import dbus

from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.GeoClue2'
MAIN_OBJ = '/org/freedesktop/GeoClue2/Manager'
MAIN_IFACE = 'org.freedesktop.GeoClue2.Manager'
SYSTEM_BUS = True

CLIENT_PREFIX = '/org/freedesktop/GeoClue2/Client/'
CLIENT_IFACE = 'org.freedesktop.GeoClue2.Client'
LOCATION_OBJ = '/org/freedesktop/GeoClue2/Location/1'
LOCATION_IFACE = 'org.freedesktop.GeoClue2.Location'

NOT_YOURS = ('raise dbus.exceptions.DBusException("not your client", '
             'name="org.freedesktop.DBus.Error.AccessDenied")')


def client_properties():
    return {
        'Location': dbus.ObjectPath('/'),
        'DesktopId': '',
        'RequestedAccuracyLevel': dbus.UInt32(0),
        'DistanceThreshold': dbus.UInt32(0),
        'TimeThreshold': dbus.UInt32(0),
        'Active': False,
    }


def start_code(deny):
    if deny:
        return ('raise dbus.exceptions.DBusException("location is off", '
                'name="org.freedesktop.DBus.Error.AccessDenied")')
    # dbusmock cannot send an object path through UpdateProperties: store it directly.
    return (f'self.props["{CLIENT_IFACE}"]["Location"] = dbus.ObjectPath("{LOCATION_OBJ}"); '
            f'self.UpdateProperties("{CLIENT_IFACE}", {{"Active": dbus.Boolean(True)}}); '
            f'self.EmitSignal("{CLIENT_IFACE}", "LocationUpdated", "oo", '
            f'[dbus.ObjectPath("/"), dbus.ObjectPath("{LOCATION_OBJ}")])')


def add_client(manager, number, start):
    path = f'{CLIENT_PREFIX}{number}'
    manager.AddObject(path, CLIENT_IFACE, client_properties(), [
        ('Start', '', '', start),
        ('Stop', '', '', f'self.UpdateProperties("{CLIENT_IFACE}", {{"Active": dbus.Boolean(False)}})'),
    ])
    manager.AddMethod(MAIN_IFACE, 'GetClient', '', 'o', f'ret = dbus.ObjectPath("{path}")')


def load(mock, parameters):
    taken = int(parameters.get('TakenClients', 0))
    for number in range(1, taken + 1):
        mock.AddObject(f'{CLIENT_PREFIX}{number}', CLIENT_IFACE, client_properties(),
                       [('Start', '', '', NOT_YOURS), ('Stop', '', '', NOT_YOURS)])
    mock.AddProperties(MAIN_IFACE, {'InUse': False, 'AvailableAccuracyLevel': dbus.UInt32(8)})
    mock.AddObject(LOCATION_OBJ, LOCATION_IFACE, {
        'Latitude': dbus.Double(parameters.get('Latitude', 48.137)),
        'Longitude': dbus.Double(parameters.get('Longitude', 11.575)),
        'Accuracy': dbus.Double(5000.0),
        'Timestamp': dbus.Struct((dbus.UInt64(1700000000), dbus.UInt64(500000)), signature='tt'),
    }, [])
    mock.client_number = taken + 1
    mock.start_code = start_code(parameters.get('Deny', False))
    add_client(mock, mock.client_number, mock.start_code)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='o')
def HandOverClient(self):
    manager = mockobject.objects[MAIN_OBJ]
    old = mockobject.objects[f'{CLIENT_PREFIX}{manager.client_number}']
    old.AddMethod(CLIENT_IFACE, 'Start', '', '', NOT_YOURS)
    manager.client_number += 1
    add_client(manager, manager.client_number, manager.start_code)
    return dbus.ObjectPath(f'{CLIENT_PREFIX}{manager.client_number}')


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetDeny(self, deny):
    manager = mockobject.objects[MAIN_OBJ]
    manager.start_code = start_code(bool(deny))
    client = mockobject.objects[f'{CLIENT_PREFIX}{manager.client_number}']
    client.AddMethod(CLIENT_IFACE, 'Start', '', '', manager.start_code)
