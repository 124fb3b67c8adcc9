'''dbusmock template: the stock upower mock plus UPower's KbdBacklight object, in place
before the name is taken, as the daemon has it when it appears.

Parameters: "MaxBrightness" and "Brightness" (int), besides upower's own.
'''

from dbusmock.templates import upower

BUS_NAME = upower.BUS_NAME
MAIN_OBJ = upower.MAIN_OBJ
MAIN_IFACE = upower.MAIN_IFACE
SYSTEM_BUS = True

KBD_IFACE = 'org.freedesktop.UPower.KbdBacklight'


def load(mock, parameters):
    upower.load(mock, parameters)
    level = int(parameters.get('Brightness', 0))
    mock.AddObject('/org/freedesktop/UPower/KbdBacklight', KBD_IFACE, {}, [
        ('GetMaxBrightness', '', 'i', f'ret = {int(parameters.get("MaxBrightness", 3))}'),
        ('GetBrightness', '', 'i', f'ret = getattr(self, "level", {level})'),
        ('SetBrightness', 'i', '',
         f'self.level = args[0]; self.EmitSignal("{KBD_IFACE}", "BrightnessChanged", "i", [args[0]])'),
    ])
