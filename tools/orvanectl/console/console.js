// The console's page: every view is built from the JSON API with DOM nodes
// and textContent, never with markup made of data, so that a name such as
// "<script>" shows as the text it is.
'use strict';

let formToken = null;
let fieldTable = null;

// An element with attributes and children; a string child is a text node.
function el(tag, attributes, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    if (name === 'onclick' || name === 'onsubmit' || name === 'onchange') {
      node.addEventListener(name.slice(2), value);
    } else if (value !== null && value !== undefined && value !== false) {
      node.setAttribute(name, value === true ? '' : String(value));
    }
  }
  for (const child of children.flat()) {
    if (child === null || child === undefined) continue;
    node.append(typeof child === 'string' || typeof child === 'number' ? String(child) : child);
  }
  return node;
}

function show(...nodes) {
  const main = document.getElementById('main');
  main.replaceChildren(...nodes);
}

async function api(path, body) {
  const options = body === undefined ? {} : {
    method: 'POST',
    headers: {'Content-Type': 'application/json', 'X-CSRF-Token': formToken},
    body: JSON.stringify(body),
  };
  const response = await fetch(path, options);
  const document_ = await response.json().catch(() => ({error: 'no answer'}));
  if (!response.ok && document_.error) throw new Error(document_.error);
  return document_;
}

function errorsOf(document_) {
  return (document_.messages || []).filter((m) => m.kind === 'error').map((m) => m.text);
}

function yesNo(value, yes, no) {
  return el('span', {class: value ? 'yes' : 'no'}, value ? yes : no);
}

// The instance list: ports, created, start type, running, database.
async function listView() {
  const document_ = await api('/api/list');
  const instances = (document_.result && document_.result.instances) || [];
  const rows = instances.map((i) => el('tr', {'data-name': i.name},
    el('td', {}, el('a', {href: '#/instance/' + encodeURIComponent(i.name)}, i.name)),
    el('td', {}, i.port + '-' + (i.port + i.processes + 2)),
    el('td', {class: 'created'}, yesNo(i.created, 'yes', 'no')),
    el('td', {}, i.startType || '-'),
    el('td', {class: 'running'}, yesNo(i.running, 'running', 'stopped')),
    el('td', {class: 'database'}, yesNo(i.database, 'created', '-')),
    el('td', {}, i.host)));
  show(el('h2', {}, 'Instances'),
    errorsOf(document_).map((text) => el('p', {class: 'error'}, text)),
    el('p', {}, 'Data file: ', document_.result ? document_.result.data || '' : ''),
    instances.length === 0 ? el('p', {id: 'no-instances'}, 'No instances yet.') :
      el('table', {id: 'instances'},
        el('thead', {}, el('tr', {}, ['Name', 'Ports', 'Created', 'Start', 'State', 'Database',
          'Host'].map((h) => el('th', {}, h)))),
        el('tbody', {}, rows)),
    el('p', {}, el('a', {href: '#/add'}, 'Add an instance')));
}

// One instance's fields (secrets as set or unset) and what may be done with it.
async function instanceView(name) {
  const document_ = await api('/api/show?name=' + encodeURIComponent(name));
  const instance = document_.result && document_.result.instance;
  if (!instance) {
    show(el('h2', {}, 'Instance ', name), errorsOf(document_).map((t) => el('p', {class: 'error'}, t)));
    return;
  }
  const rows = Object.entries(instance).map(([option, value]) => el('tr', {},
    el('th', {}, option), el('td', {'data-field': option},
      typeof value === 'boolean' ? (value ? 'on' : 'off') : String(value))));
  const action = (label, command) => el('button', {
    id: 'action-' + command.replace(' ', '-'),
    onclick: () => planView({command, name}),
  }, label);
  show(el('h2', {}, 'Instance ', name),
    el('p', {},
      el('a', {href: '#/edit/' + encodeURIComponent(name), id: 'edit'}, 'Edit'), ' ',
      action('Create', 'create'), action('Create its database', 'db create'),
      action('Start', 'start'), action('Stop', 'stop'), action('Delete', 'delete')),
    el('table', {id: 'fields'}, el('tbody', {}, rows)));
}

async function fields() {
  if (fieldTable === null) fieldTable = await api('/api/fields');
  return fieldTable;
}

// An input for a field of the table: a password field for a secret, which
// is never filled in.
function inputFor(field, value) {
  const id = 'field-' + field.option;
  if (field.kind === 'secret') {
    return el('input', {id, name: field.option, type: 'password', autocomplete: 'new-password',
      placeholder: value === 'set' ? '(set: type to change)' : '(unset)'});
  }
  if (field.kind === 'flag') {
    return el('input', {id, name: field.option, type: 'checkbox', checked: value === true});
  }
  if (field.kind === 'choice') {
    return el('select', {id, name: field.option}, field.type.split('|').map((choice) =>
      el('option', {value: choice, selected: choice === value}, choice)));
  }
  return el('input', {id, name: field.option, type: 'text', value: value === undefined ? '' : String(value)});
}

function inputValue(input) {
  return input.type === 'checkbox' ? (input.checked ? 'on' : 'off') : input.value;
}

// The form to add (name === null) or edit an instance. Only the fields a
// person changed are sent: the others stay as the record or the proposal has them.
async function formView(name) {
  const table = await fields();
  const adding = name === null;
  const source = adding ? await api('/api/default') : await api('/api/show?name=' + encodeURIComponent(name));
  const values = (source.result && source.result.instance) || {};
  const changed = new Set();
  const rows = table.filter((f) => !(adding && f.option === 'name')).map((field) => {
    const input = inputFor(field, values[field.option]);
    input.addEventListener('input', () => changed.add(field.option));
    input.addEventListener('change', () => changed.add(field.option));
    return el('div', {class: 'field'},
      el('label', {for: input.id}, field.option, el('br'), el('span', {class: 'rule'}, field.description)),
      input,
      el('span', {class: 'field-error', id: 'error-' + field.option}));
  });
  const nameRow = adding ? el('div', {class: 'field'},
    el('label', {for: 'field-name'}, 'name'),
    el('input', {id: 'field-name', name: 'name', type: 'text', required: true}),
    el('span', {class: 'field-error', id: 'error-name'})) : null;
  if (adding) {
    // The proposal follows the name (its root, HTML directory, database);
    // what the person typed stays.
    nameRow.querySelector('input').addEventListener('change', async (event) => {
      const proposal = await api('/api/default?name=' + encodeURIComponent(event.target.value));
      const proposed = (proposal.result && proposal.result.instance) || {};
      for (const field of table) {
        const input = document.getElementById('field-' + field.option);
        if (field.option === 'name' || !input || changed.has(field.option) || field.kind === 'secret' ||
            !(field.option in proposed)) continue;
        if (field.kind === 'flag') input.checked = proposed[field.option] === true;
        else input.value = String(proposed[field.option]);
      }
    });
  }
  const general = el('div', {id: 'form-errors'});
  const form = el('form', {id: 'instance-form', onsubmit: async (event) => {
    event.preventDefault();
    const given = {};
    for (const option of changed) given[option] = inputValue(document.getElementById('field-' + option));
    const target = adding ? document.getElementById('field-name').value : name;
    if (adding) delete given.name;
    await planView({command: adding ? 'add' : 'set', name: target, fields: given}, form, general);
  }}, nameRow, rows, general, el('button', {type: 'submit', id: 'plan'}, 'Show the plan'));
  show(el('h2', {}, adding ? 'Add an instance' : 'Edit instance ' + name), form);
}

// Clears the form's refusals and puts each text beside its field; the
// texts of no field go above the button.
function showRefusals(form, general, document_) {
  for (const span of form.querySelectorAll('.field-error')) span.textContent = '';
  const refused = (document_.result && document_.result.refused) || [];
  const placed = new Set();
  for (const refusal of refused) {
    const span = document.getElementById('error-' + refusal.field);
    if (span) {
      span.textContent = (span.textContent ? span.textContent + ' ' : '') + refusal.text;
      placed.add(refusal.text);
    }
  }
  general.replaceChildren(...errorsOf(document_).filter((t) => !placed.has(t))
    .map((t) => el('p', {class: 'error'}, t)));
}

// The plan of a change: what it would write, with diffs, and Apply. From a
// form, a refused value stays on the form with its rule beside the field.
async function planView(request, form, general) {
  let document_;
  try {
    document_ = await api('/api/plan', request);
  } catch (error) {
    const shown = el('p', {class: 'error'}, error.message);
    if (general) general.replaceChildren(shown); else show(shown);
    return;
  }
  if (form && document_.exit !== 0) {
    showRefusals(form, general, document_);
    return;
  }
  // The address no longer names the page it came from, so that its link
  // leads back there; a reload of a plan shows the list.
  history.replaceState(null, '', '#/plan');
  const lines = document_.plan_lines || [];
  const complete = !document_.result || document_.result.plan_complete !== false;
  show(el('h2', {}, 'Plan: ', request.command, request.name ? ' ' + request.name : ''),
    errorsOf(document_).map((t) => el('p', {class: 'error'}, t)),
    el('p', {}, lines.length === 0 ? 'No change: the machine is as the command would leave it.' :
      'The command would make these changes (none made yet):'),
    el('pre', {id: 'plan-lines'}, lines.join('\n')),
    complete ? null : el('p', {}, 'The plan stops at the programs it lists: what follows depends on their results.'),
    el('button', {id: 'apply', onclick: () => applyView(request)}, 'Apply'),
    el('a', {href: '#/'}, 'Cancel'));
}

// Runs the change and shows its status and progress lines as they come,
// ending with the summary message and the exit code.
async function applyView(request) {
  const progress = el('pre', {id: 'progress'});
  const summary = el('p', {id: 'summary'});
  show(el('h2', {}, 'Applying: ', request.command, request.name ? ' ' + request.name : ''),
    progress, summary, el('p', {}, el('a', {href: '#/', id: 'back'}, 'Back to the instances')));
  const response = await fetch('/api/apply', {
    method: 'POST',
    headers: {'Content-Type': 'application/json', 'X-CSRF-Token': formToken},
    body: JSON.stringify(request),
  });
  if (!response.ok || !response.body) {
    summary.textContent = 'refused: ' + response.status;
    return;
  }
  const reader = response.body.getReader();
  const decoder = new TextDecoder();
  let buffer = '';
  for (;;) {
    const {value, done} = await reader.read();
    if (done) break;
    buffer += decoder.decode(value, {stream: true});
    let end;
    while ((end = buffer.indexOf('\n\n')) >= 0) {
      const event = parseEvent(buffer.slice(0, end));
      buffer = buffer.slice(end + 2);
      if (event.name === 'line') progress.append(event.data + '\n');
      if (event.name === 'done') {
        summary.textContent = event.data.summary + ' (exit ' + event.data.exit + ')';
        summary.dataset.exit = String(event.data.exit);
      }
    }
  }
}

function parseEvent(text) {
  const event = {name: 'message', data: null};
  for (const line of text.split('\n')) {
    if (line.startsWith('event: ')) event.name = line.slice(7);
    if (line.startsWith('data: ')) event.data = JSON.parse(line.slice(6));
  }
  return event;
}

// The web server and each instance: running or not.
async function machineView() {
  const document_ = await api('/api/status');
  const result = document_.result || {};
  const instances = Object.entries(result.instances || {});
  show(el('h2', {}, 'Web server and machine'),
    el('p', {id: 'web-server'}, 'Web server: ', yesNo(result.webServer, 'running', 'stopped')),
    errorsOf(document_).map((t) => el('p', {class: 'error'}, t)),
    el('table', {id: 'states'}, el('tbody', {}, instances.map(([name, running]) =>
      el('tr', {}, el('td', {}, name), el('td', {}, yesNo(running, 'running', 'stopped')))))));
}

// Every message of this session's commands, oldest first.
async function logView() {
  const log = await api('/api/log');
  show(el('h2', {}, 'Message log'),
    log.length === 0 ? el('p', {}, 'No messages yet.') :
      el('table', {id: 'log'}, el('tbody', {}, log.map((entry) => el('tr', {},
        el('td', {}, entry.command), el('td', {}, entry.kind), el('td', {}, entry.text))))));
}

async function route() {
  const hash = decodeURIComponent(location.hash.replace(/^#/, '')) || '/';
  try {
    if (hash === '/' || hash === '/plan') await listView();
    else if (hash === '/add') await formView(null);
    else if (hash.startsWith('/edit/')) await formView(hash.slice(6));
    else if (hash.startsWith('/instance/')) await instanceView(hash.slice(10));
    else if (hash === '/machine') await machineView();
    else if (hash === '/log') await logView();
    else show(el('p', {class: 'error'}, 'No such page: ', hash));
  } catch (error) {
    show(el('p', {class: 'error'}, error.message));
  }
}

async function start() {
  formToken = (await api('/api/session')).csrf;
  window.addEventListener('hashchange', route);
  await route();
}

start();
