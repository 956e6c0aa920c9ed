"""Where the windows' designs place the controls that the mouse clicks."""


def pixels(twips):
    return int(round(twips / 15))


class Place:
    """A control's place in twips, within a container placed in twips."""

    def __init__(self, left, top, width, height, container=(0, 0)):
        self.left = pixels(container[0] + left)
        self.top = pixels(container[1] + top)
        self.width = pixels(width)
        self.height = pixels(height)

    @staticmethod
    def whole_window(width, height):
        """A window's whole client area, given in pixels."""
        return Place(0, 0, width * 15, height * 15)

    def centre(self):
        return self.left + self.width // 2, self.top + self.height // 2

    def indicator(self):
        """Where a check box or option button has its box or dot."""
        return self.left + 7, self.top + self.height // 2


# Controls the mouse round clicks, as the windows' designs place them.
MAIN_LIST = Place(120, 360, 3975, 1380)
MAIN_NEW = Place(4200, 360, 1395, 255)
MAIN_DELETE = Place(4200, 720, 1395, 255)
MAIN_CONFIGURE = Place(4200, 1080, 1395, 255)
MAIN_CLOSE = Place(4200, 1710, 1395, 255)
CHOOSER_LIST = Place(120, 360, 3495, 1155)
CHOOSER_OK = Place(3840, 480, 975, 375)


class NativeDesign:
    name = Place(120, 360, 3495, 285)
    description = Place(120, 1080, 3495, 285)
    storage = Place(120, 600, 2655, 285, container=(120, 1440))
    source_id = Place(870, 1140, 615, 315, container=(120, 1440))
    automatic = Place(1680, 1200, 1515, 255, container=(120, 1440))
    backdrop = Place(120, 360, 1215, 255, container=(120, 3120))
    editable = Place(120, 1005, 1950, 255, container=(120, 3120))
    create = Place(240, 360, 1455, 255, container=(120, 4515))
    unload = Place(1920, 735, 1455, 255, container=(120, 4515))
    ok = Place(3720, 360, 975, 375)
    options = Place(3720, 2040, 975, 375)


class DemandDesign:
    name = Place(120, 360, 3615, 285)
    description = Place(120, 960, 3615, 285)
    ok = Place(3795, 360, 1020, 375)
    dld = Place(240, 600, 2775, 285, container=(120, 1320))
    entities = Place(240, 1200, 2775, 315, container=(120, 1320))
    source_id = Place(1200, 1650, 735, 315, container=(120, 1320))
    automatic = Place(2160, 1605, 1290, 375, container=(120, 1320))
    options = Place(3240, 1200, 1335, 375, container=(120, 1320))


class OptionsDesign:
    all_scales = Place(3900, 360, 1095, 405, container=(120, 120))
    minimum = Place(2925, 330, 855, 285, container=(120, 120))
    maximum = Place(2925, 690, 855, 285, container=(120, 120))
    overview = Place(2925, 1050, 855, 285, container=(120, 120))
    priority = Place(2025, 315, 1095, 285, container=(120, 1680))
    auto_connect = Place(120, 2520, 4560, 255)
    ok = Place(5340, 330, 1050, 315)
