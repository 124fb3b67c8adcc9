'''dbusmock template: an org.freedesktop.ScreenSaver with GetActive, SetActive (which
emits ActiveChanged), Inhibit (answering the cookie 4242) and UnInhibit. Its methods
exist before it takes calls, so a client that asks the moment the name appears is
answered as by a real screensaver.
'''

BUS_NAME = 'org.freedesktop.ScreenSaver'
MAIN_OBJ = '/org/freedesktop/ScreenSaver'
MAIN_IFACE = 'org.freedesktop.ScreenSaver'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddMethods(MAIN_IFACE, [
        ('GetActive', '', 'b', "ret = getattr(self, 'active', False)"),
        ('SetActive', 'b', '', "self.active = args[0]; self.EmitSignal('', 'ActiveChanged', 'b', [args[0]])"),
        ('Inhibit', 'ss', 'u', 'ret = dbus.UInt32(4242)'),
        ('UnInhibit', 'u', '', ''),
    ])
