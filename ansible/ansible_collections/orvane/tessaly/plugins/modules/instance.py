#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: instance
short_description: One Tessaly instance, present, absent, started or stopped
description:
  - C(present), C(started) and C(stopped) apply a desired state of this one
    instance with C(orvanectl apply) (other instances are left alone);
    C(absent) deletes it with C(orvanectl delete).
  - Check mode runs C(orvanectl --check), diff mode C(orvanectl --diff).
options:
  name:
    description: The instance's name.
    type: str
    required: true
  state:
    description: What the instance should be.
    type: str
    choices: [present, absent, started, stopped]
    default: present
  fields:
    description:
      - The instance's fields by orvanectl's option names (C(host),
        C(processes), C(cache), ...). Secrets go in their own options.
    type: dict
    default: {}
  db_password:
    description: The database password.
    type: str
  cms_password:
    description: The CMS password.
    type: str
  merchant_key:
    description: The merchant key.
    type: str
  webconf:
    description: Configure the web server when the instance changed.
    type: bool
    default: true
  database:
    description: Create the instance's database when it is missing.
    type: bool
    default: true
extends_documentation_fragment:
  - orvane.tessaly.orvanectl
author:
  - orvane developers
'''

EXAMPLES = r'''
- name: A running shop
  orvane.tessaly.instance:
    name: shop1
    state: started
    fields: {host: shop1.example, processes: 4, cache: true}
    db_password: "{{ vault_shop1_password }}"
'''

RETURN = r'''
orvanectl:
  description: The result of orvanectl's JSON document.
  returned: always
  type: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.orvane.tessaly.plugins.module_utils import orvanectl


def main():
    arguments = dict(
        name=dict(type='str', required=True),
        state=dict(type='str', default='present',
                   choices=['present', 'absent', 'started', 'stopped']),
        fields=dict(type='dict', default={}),
        webconf=dict(type='bool', default=True),
        database=dict(type='bool', default=True),
    )
    for field in orvanectl.SECRET_FIELDS:
        arguments[orvanectl.secret_parameter(field)] = dict(type='str', no_log=True)
    arguments.update(orvanectl.COMMON_ARGUMENTS)
    module = AnsibleModule(argument_spec=arguments, supports_check_mode=True)
    params = module.params
    name = params['name']

    if params['state'] == 'absent':
        code, shown = orvanectl.run(module, ['show', name], recorded=False)
        if code == 5:  # no instance of that name: nothing to delete
            module.exit_json(changed=False, orvanectl=shown.get('result', {}))
        code, deleted = orvanectl.run(module, ['delete', name])
        deleted.setdefault('result', {}).setdefault('changed', code == 0)
        orvanectl.finish(module, code, deleted)

    def document(secrets):
        instance = dict(params['fields'], name=name)
        for field in orvanectl.SECRET_FIELDS:
            secret = params[orvanectl.secret_parameter(field)]
            if secret is not None:
                instance[field] = secrets.reference(secret)
        state = dict(instances=[instance], webconf=params['webconf'],
                     databases=params['database'])
        if params['state'] != 'present':
            state['running'] = [name] if params['state'] == 'started' else []
        return state

    orvanectl.apply_document(module, document)


if __name__ == '__main__':
    main()
