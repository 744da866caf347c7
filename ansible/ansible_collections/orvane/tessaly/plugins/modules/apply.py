#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: apply
short_description: Make a machine what a Tessaly desired-state document describes
description:
  - Runs C(orvanectl apply) on the target with the document given.
  - Check mode runs C(orvanectl --check), diff mode C(orvanectl --diff).
options:
  state:
    description:
      - The desired-state document, as C(orvanectl apply -f) reads it
        (C(instances), C(webconf), C(databases), C(running)).
    type: dict
    required: true
  secrets:
    description:
      - "Secrets by instance and field, such as C({shop1: {db-password: ...}})."
      - They reach orvanectl as private files for the run alone.
    type: dict
    default: {}
  prune:
    description: Also delete the instances the document does not name.
    type: bool
    default: false
extends_documentation_fragment:
  - orvane.tessaly.orvanectl
author:
  - orvane developers
'''

EXAMPLES = r'''
- name: Two shops, the first one running
  orvane.tessaly.apply:
    state:
      instances:
        - {name: shop1, host: shop1.example, processes: 4}
        - {name: shop2, host: shop2.example}
      webconf: true
      databases: true
      running: [shop1]
    secrets:
      shop1: {db-password: "{{ vault_shop1_password }}"}
'''

RETURN = r'''
orvanectl:
  description: The result of orvanectl's JSON document (C(steps), C(left), C(change_set)).
  returned: always
  type: dict
'''

import copy

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.orvane.tessaly.plugins.module_utils import orvanectl


def main():
    arguments = dict(
        state=dict(type='dict', required=True),
        secrets=dict(type='dict', default={}, no_log=True),
        prune=dict(type='bool', default=False),
    )
    arguments.update(orvanectl.COMMON_ARGUMENTS)
    module = AnsibleModule(argument_spec=arguments, supports_check_mode=True)

    def document(secrets):
        state = copy.deepcopy(module.params['state'])
        for instance in state.get('instances', []):
            for field, secret in module.params['secrets'].get(instance.get('name'), {}).items():
                instance[field] = secrets.reference(secret)
        return state

    orvanectl.apply_document(module, document, module.params['prune'])


if __name__ == '__main__':
    main()
