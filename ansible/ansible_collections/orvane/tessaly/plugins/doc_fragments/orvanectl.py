# -*- coding: utf-8 -*-
# The options every module of the collection shares: where orvanectl is and
# which machine it works on.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  machine:
    description: The emulated machine's folder (C(orvanectl --machine)).
    type: path
  orvanectl:
    description: The orvanectl program.
    type: path
    default: orvanectl
'''
