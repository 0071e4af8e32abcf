#include "web/assets.h"

namespace qreport::web {

const std::string_view kIndexHtml = R"QR(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="qreport-token" content="{{TOKEN}}">
<title>qreport</title>
<link rel="stylesheet" href="/app.css">
<script src="/app.js" defer></script>
</head>
<body>
<header class="top"><a href="#/" class="brand">qreport</a><span class="sub">quarterly payroll-tax reports</span></header>
<main id="view"><noscript><p class="noscript">These pages need JavaScript to list the clients, play their dialogs
and show their reports. Without it, the qreport command does the same work: qreport check, qreport run and
qreport render on a client folder.</p></noscript></main>
<div id="announce" class="visually-hidden" aria-live="polite"></div>
<div id="modal-root"></div>
</body>
</html>
)QR";

const std::string_view kAppJs = R"QR('use strict';
// The pages of qreport serve: the clients list, a client's dialog and its report. The dialog is
// drawn from the table the server sends; every change of a control goes to the server, which
// applies the dialog's own rule and answers with the controls' texts and marks.
(function () {
  const token = document.querySelector('meta[name="qreport-token"]').content;
  const view = document.getElementById('view');
  const modalRoot = document.getElementById('modal-root');
  // Dialog units to pixels: a quarter of the average character width across, an eighth of the
  // character height down, for an 8-point font, enlarged for the page.
  const ZOOM = 1.4, UNIT_X = 1.5 * ZOOM, UNIT_Y = 1.625 * ZOOM;

  async function api(method, path, body) {
    const init = { method, headers: {}, credentials: 'same-origin' };
    if (method !== 'GET') {
      init.headers['X-Qreport-Token'] = token;
      init.headers['Content-Type'] = 'application/json';
      init.body = JSON.stringify(body || {});
    }
    const response = await fetch(path, init);
    let data = null;
    try { data = await response.json(); } catch (e) { data = null; }
    if (!response.ok) {
      const error = new Error((data && data.error) || ('The server answered ' + response.status));
      error.status = response.status;
      throw error;
    }
    return data;
  }

  function el(tag, attrs, ...children) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attrs || {})) {
      if (value === null || value === undefined || value === false) continue;
      if (key === 'class') node.className = value;
      else if (key === 'text') node.textContent = value;
      // Through the style object: the page's policy refuses style attributes.
      else if (key === 'style') node.style.cssText = value;
      else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
      else node.setAttribute(key, value === true ? '' : value);
    }
    for (const child of children) {
      if (child === null || child === undefined) continue;
      node.append(child instanceof Node ? child : document.createTextNode(String(child)));
    }
    return node;
  }

  const clientPath = (name) => '/api/clients/' + encodeURIComponent(name);

  // Message boxes: modal, one at a time, each answered with OK.
  let modalChain = Promise.resolve();
  function messageBox(caption, text) {
    modalChain = modalChain.then(() => new Promise((resolve) => {
      const before = document.activeElement;
      const ok = el('button', { class: 'ok', type: 'button' }, 'OK');
      const box = el('div', { class: 'msgbox', role: 'alertdialog', 'aria-modal': 'true', 'aria-label': caption,
        'aria-describedby': 'msgbox-text' },
        el('div', { class: 'caption' }, caption),
        el('div', { class: 'msgtext', id: 'msgbox-text' }, text.replace(/\r\n/g, '\n')),
        el('div', { class: 'buttons' }, ok));
      const backdrop = el('div', { class: 'backdrop' }, box);
      const close = () => {
        backdrop.remove();
        if (before && before.focus) before.focus();
        resolve();
      };
      ok.addEventListener('click', close);
      backdrop.addEventListener('keydown', (e) => {
        if (e.key === 'Escape' || e.key === 'Enter') { e.preventDefault(); close(); }
        if (e.key === 'Tab') { e.preventDefault(); ok.focus(); }
      });
      modalRoot.append(backdrop);
      ok.focus();
    }));
    return modalChain;
  }
  function showMessages(messages) {
    let last = Promise.resolve();
    for (const m of messages || []) last = messageBox(m.caption, m.text);
    return last;
  }

  function formatTime(seconds) {
    if (seconds === null || seconds === undefined) return '';
    const d = new Date(seconds * 1000);
    const pad = (n) => String(n).padStart(2, '0');
    return d.getFullYear() + '-' + pad(d.getMonth() + 1) + '-' + pad(d.getDate()) + ' ' + pad(d.getHours()) + ':' +
      pad(d.getMinutes());
  }

  // ---- Clients -------------------------------------------------------------------------------
  // The list comes from the server a page of rows at a time, filtered and sorted there; while the
  // server computes the rows, the page shows how far it has come and asks again.
  const PAGE_ROWS = 50;
  const listState = { offset: 0, filter: '', sort: 'name', desc: false };
  const COLUMNS = [['name', 'Client'], ['employer', 'Employer'], ['quarter', 'Quarter'], ['path', 'Path'],
    ['report', 'Last report'], ['findings', 'Findings']];
  const count = (n) => Number(n).toLocaleString('en-US');
  const announcer = document.getElementById('announce');
  function announce(text) {
    announcer.textContent = '';
    setTimeout(() => { announcer.textContent = text; }, 50);
  }

  // The findings in words, so that they do not rest on colour alone.
  function findingsText(row) {
    if (row.pending) return 'not checked yet';
    const parts = [];
    if (row.errors) parts.push(row.errors + (row.errors === 1 ? ' error' : ' errors'));
    if (row.warnings) parts.push(row.warnings + (row.warnings === 1 ? ' warning' : ' warnings'));
    return parts.length ? parts.join(', ') : 'no findings';
  }

  // The findings shown under their client's row, by client, kept while the rows are drawn again.
  const openFindings = new Map();
  function findingsRow(name, findings) {
    return el('tr', { class: 'findings-row', 'data-findings-of': name }, el('td', { colspan: COLUMNS.length },
      el('ul', { class: 'finding-list', 'aria-label': 'Findings of ' + name },
        ...findings.map((f) => el('li', { class: f.severity },
          el('strong', {}, f.severity === 'error' ? 'Error' : 'Warning'), ' ' + f.code + ': ' + f.message)))));
  }

  // The findings cell: a button that shows the client's findings in a row below, asked for then.
  function findingsCell(row) {
    const cls = 'findings' + (row.errors ? ' errors' : row.warnings ? ' warnings' : '');
    if (row.pending || (!row.errors && !row.warnings)) return el('td', { class: cls }, findingsText(row));
    const button = el('button', { type: 'button', class: 'link findings-toggle', 'aria-expanded': 'false' },
      findingsText(row));
    button.addEventListener('click', async () => {
      const shown = () => document.querySelector('tr[data-findings-of="' + CSS.escape(row.name) + '"]');
      if (openFindings.has(row.name)) {
        openFindings.delete(row.name);
        if (shown()) shown().remove();
        button.setAttribute('aria-expanded', 'false');
        return;
      }
      let data;
      try {
        data = await api('GET', clientPath(row.name) + '/findings');
      } catch (e) {
        await messageBox('qreport', e.message);
        return;
      }
      openFindings.set(row.name, data.findings);
      // The rows may have been drawn again meanwhile: the row of this client as it is now.
      const tr = document.querySelector('tr[data-client="' + CSS.escape(row.name) + '"]');
      if (!tr || shown()) return;
      tr.after(findingsRow(row.name, data.findings));
      tr.querySelector('button.findings-toggle')?.setAttribute('aria-expanded', 'true');
      announce(data.findings.length + ' findings of ' + row.name + ' listed below its row.');
    });
    return el('td', { class: cls }, button);
  }

  function clientRow(c) {
    const dialogLink = el('a', { href: '#/dialog/' + encodeURIComponent(c.name), class: 'client-link' }, c.name);
    if (c.pending) {
      return el('tr', { 'data-client': c.name, class: 'pending' }, el('td', {}, dialogLink),
        el('td', { colspan: COLUMNS.length - 2 }, '\u2026'), findingsCell(c));
    }
    return el('tr', { 'data-client': c.name },
      el('td', {}, dialogLink),
      el('td', {}, c.employer),
      el('td', {}, c.quarter ? 'Q' + c.quarter + ' ' + c.year : c.year),
      el('td', {}, c.path === 'form' ? 'form' : 'short'),
      el('td', {}, c.report !== null ? el('a', { href: '#/report/' + encodeURIComponent(c.name),
        'aria-label': 'Report of ' + c.name + ', written ' + formatTime(c.report) }, formatTime(c.report)) : 'none'),
      findingsCell(c));
  }

  async function showClients() {
    document.title = 'qreport: clients';
    openFindings.clear();
    const filter = el('input', { type: 'search', id: 'filter', placeholder: 'client or employer', autocomplete: 'off',
      'aria-describedby': 'list-summary' });
    filter.value = listState.filter;
    const progressText = el('span', { id: 'progress-text' });
    const progressBar = el('progress', { 'aria-labelledby': 'progress-text' });
    const progress = el('p', { id: 'progress', class: 'progress', hidden: true }, progressText, ' ', progressBar);
    const summary = el('p', { id: 'list-summary', class: 'summary', 'aria-live': 'polite' });
    const head = el('tr');
    const body = el('tbody');
    const previous = el('button', { type: 'button', id: 'previous-page', class: 'action' }, 'Previous page');
    const next = el('button', { type: 'button', id: 'next-page', class: 'action' }, 'Next page');
    const rootLine = el('p', { class: 'root' });
    let timer = null, asked = 0, refresh = true, lastDrawn = null;

    async function load() {
      const mine = ++asked;
      clearTimeout(timer);
      const query = new URLSearchParams({ offset: listState.offset, limit: PAGE_ROWS, filter: listState.filter,
        sort: listState.sort, desc: listState.desc ? '1' : '0' });
      // The first load of the page has the server look at the folders again for changes.
      if (refresh) query.set('refresh', '1');
      refresh = false;
      const data = await api('GET', '/api/clients?' + query);
      if (mine !== asked || !body.isConnected) return;
      render(data);
      if (data.progress.running) timer = setTimeout(() => load().catch(() => {}), 400);
    }

    function render(data) {
      rootLine.replaceChildren('Folder: ', el('code', {}, data.root));
      const p = data.progress;
      progress.hidden = !p.running;
      progressText.textContent = p.running ? (p.first ? 'computing ' + count(p.done) + ' of ' + count(p.of) + ' clients'
        : 'checking ' + count(p.done) + ' of ' + count(p.of) + ' clients for changes') : '';
      progressBar.max = Math.max(p.of, 1);
      progressBar.value = p.done;
      const focused = document.activeElement && body.contains(document.activeElement) ?
        [document.activeElement.closest('tr[data-client]')?.dataset.client, document.activeElement.className] : null;
      // Rows are drawn again only when they changed; open findings and the focus stay where they were.
      const drawn = JSON.stringify(data.rows);
      if (drawn !== lastDrawn) {
        lastDrawn = drawn;
        const rows = [];
        for (const c of data.rows) {
          const tr = clientRow(c);
          rows.push(tr);
          if (openFindings.has(c.name) && !c.pending && (c.errors || c.warnings)) {
            tr.querySelector('button.findings-toggle')?.setAttribute('aria-expanded', 'true');
            rows.push(findingsRow(c.name, openFindings.get(c.name)));
          }
        }
        body.replaceChildren(...rows);
        if (focused && focused[0]) {
          const again = body.querySelector('tr[data-client="' + CSS.escape(focused[0]) + '"] .' +
            (focused[1] || 'client-link').split(' ')[0]);
          if (again) again.focus();
        }
      }
      const first = data.matching ? listState.offset + 1 : 0;
      const last = listState.offset + data.rows.length;
      summary.textContent = data.matching === 0 ? (data.clients ? 'No client matches.' : 'No client folders here.')
        : 'Clients ' + count(first) + ' to ' + count(last) + ' of ' + count(data.matching) +
          (data.matching !== data.clients ? ' (of ' + count(data.clients) + ' in all)' : '');
      setDisabled(previous, listState.offset === 0);
      setDisabled(next, last >= data.matching);
      for (const th of head.children) {
        th.setAttribute('aria-sort', th.dataset.sort === listState.sort ? (listState.desc ? 'descending' : 'ascending')
          : 'none');
      }
    }

    // A button that is disabled while it has the focus hands it to the filter, not to the page.
    function setDisabled(button, disabled) {
      if (disabled && document.activeElement === button) filter.focus();
      button.disabled = disabled;
    }

    for (const [key, label] of COLUMNS) {
      const button = el('button', { type: 'button', class: 'sort' }, label);
      button.addEventListener('click', () => {
        listState.desc = listState.sort === key ? !listState.desc : false;
        listState.sort = key;
        listState.offset = 0;
        load().catch(showListError);
      });
      head.append(el('th', { scope: 'col', 'data-sort': key }, button));
    }
    let typing = null;
    filter.addEventListener('input', () => {
      clearTimeout(typing);
      typing = setTimeout(() => {
        listState.filter = filter.value;
        listState.offset = 0;
        load().catch(showListError);
      }, 150);
    });
    previous.addEventListener('click', () => {
      listState.offset = Math.max(0, listState.offset - PAGE_ROWS);
      load().catch(showListError);
    });
    next.addEventListener('click', () => {
      listState.offset += PAGE_ROWS;
      load().catch(showListError);
    });
    function showListError(e) { summary.textContent = e.message; }

    view.replaceChildren(
      el('h1', {}, 'Clients'),
      rootLine,
      el('label', { for: 'filter', class: 'filter-label' }, 'Filter clients '), filter,
      progress,
      summary,
      el('table', { class: 'clients', 'aria-describedby': 'list-summary' },
        el('caption', { class: 'visually-hidden' }, 'Clients; the column buttons sort the list'),
        el('thead', {}, head), body),
      el('nav', { class: 'pager', 'aria-label': 'Pages of clients' }, previous, ' ', next));
    filter.focus();
    await load();
  }

  // ---- Dialog --------------------------------------------------------------------------------
  function caption(text, at) {
    const span = el('span', { class: 'caption-text' });
    if (at < 0 || at >= text.length) {
      span.textContent = text;
    } else {
      span.append(text.slice(0, at), el('u', {}, text[at]), text.slice(at + 1));
    }
    return span;
  }

  // A text box's caption is the label beside it on its left in the same row, else the nearest
  // label above it; a check box without a caption of its own takes the label nearest it in its
  // row on either side. A screen reader reads it as the control's label.
  function labelControls(table, controls) {
    const labels = table.controls.filter((c) => c.kind === 'label' && c.text.trim());
    const unlabelled = table.controls.filter((c) => c.kind === 'text' || (c.kind === 'check' && !c.text.trim()));
    for (const box of unlabelled) {
      const middle = box.y + box.h / 2;
      let best = null, bestScore = Infinity;
      for (const label of labels) {
        const sameRow = label.y <= middle && middle <= label.y + Math.max(label.h, 8);
        let score;
        if (sameRow && label.x < box.x) {
          score = Math.abs(box.x - (label.x + label.w));
        } else if (sameRow && box.kind === 'check') {
          score = label.x - (box.x + box.w);
        } else if (label.y + label.h <= box.y + 2 && label.x < box.x + box.w && box.x < label.x + label.w) {
          score = 1000 + box.y - label.y;
        } else {
          score = 100000 + Math.hypot(box.x - label.x, box.y - label.y);
        }
        if (score < bestScore) bestScore = score, best = label;
      }
      const input = controls.get(box.id);
      if (best && input) input.setAttribute('aria-labelledby', 'c' + best.id);
      else if (input) input.setAttribute('aria-label', 'Field ' + box.id);
    }
  }

  async function showDialog(name) {
    const opened = await api('POST', clientPath(name) + '/open');
    const table = opened.dialog;
    document.title = 'qreport: ' + name;
    const session = opened.session;
    const controls = new Map();
    // Alt and a caption's underlined letter act on that control, as in the dialog's other forms.
    const mnemonics = new Map();
    let queue = Promise.resolve();
    let finished = false;

    function apply(state) {
      for (const [id, text] of Object.entries(state.texts || {})) {
        const input = controls.get(Number(id));
        if (input && input !== document.activeElement && input.value !== text) input.value = text;
      }
      for (const [id, checked] of Object.entries(state.checks || {})) {
        const box = controls.get(Number(id));
        if (box) box.checked = checked;
      }
    }

    function send(event) {
      queue = queue.then(async () => {
        if (finished) return;
        let state;
        try {
          state = await api('POST', '/api/sessions/' + session + '/event', event);
        } catch (e) {
          await messageBox('qreport', e.message);
          return;
        }
        apply(state);
        await showMessages(state.messages);
        if (state.ended) {
          finished = true;
          if (state.cancelled) {
            location.hash = '#/';
          } else {
            await runReport();
          }
        }
      });
      return queue;
    }

    async function runReport() {
      form.classList.add('busy');
      status.textContent = 'Writing the report\u2026';
      try {
        const result = await api('POST', '/api/sessions/' + session + '/run');
        await showMessages(result.messages);
        location.hash = '#/report/' + encodeURIComponent(name);
      } catch (e) {
        status.textContent = '';
        form.classList.remove('busy');
        await messageBox('qreport', e.message);
        if (e.status === 409) {
          status.replaceChildren(el('button', { type: 'button', class: 'retry', onclick: () => runReport() },
            'Write the report again'));
        }
      }
    }

    const form = el('div', { class: 'dialog-body', role: 'group', 'aria-label': table.title,
      style: 'width:' + Math.round(table.width * UNIT_X) + 'px;height:' + Math.round(table.height * UNIT_Y) + 'px' });
    for (const c of table.controls) {
      const style = 'left:' + Math.round(c.x * UNIT_X) + 'px;top:' + Math.round(c.y * UNIT_Y) + 'px;width:' +
        Math.round(c.w * UNIT_X) + 'px;height:' + Math.round(c.h * UNIT_Y) + 'px';
      const key = c.mnemonic ? c.mnemonic.toLowerCase() : null;
      let node;
      if (c.kind === 'label') {
        node = el('div', { class: 'ctl label', style, id: 'c' + c.id }, caption(c.text, c.mnemonicAt));
      } else if (c.kind === 'frame') {
        node = el('div', { class: 'ctl frame', style, id: 'c' + c.id });
      } else if (c.kind === 'text') {
        const input = el('input', { type: 'text', class: 'ctl text', style, id: 'c' + c.id, 'data-id': c.id,
          value: opened.texts[String(c.id)] || '', autocomplete: 'off', spellcheck: 'false' });
        input.addEventListener('input', () => send({ id: c.id, text: input.value }));
        controls.set(c.id, input);
        node = input;
      } else if (c.kind === 'check') {
        const box = el('input', { type: 'checkbox', id: 'c' + c.id, 'data-id': c.id,
          'aria-keyshortcuts': key ? 'Alt+' + c.mnemonic : null });
        if (key) mnemonics.set(key, () => box.click());
        box.checked = !!opened.checks[String(c.id)];
        box.addEventListener('change', () => send({ id: c.id, text: box.checked ? '1' : '0' }));
        controls.set(c.id, box);
        node = el('label', { class: 'ctl check', style }, box, caption(c.text, c.mnemonicAt));
      } else {
        node = el('button', { type: 'button', class: 'ctl button' + (c.centred ? ' centred' : ''), style,
          id: 'c' + c.id, 'data-id': c.id, 'aria-keyshortcuts': key ? 'Alt+' + c.mnemonic : null },
          caption(c.text, c.mnemonicAt));
        node.addEventListener('click', () => send({ id: c.id }));
        if (key) mnemonics.set(key, () => { node.focus(); node.click(); });
      }
      form.append(node);
    }
    labelControls(table, controls);
    const status = el('div', { class: 'status', role: 'status' });
    const frame = el('section', { class: 'dialog ' + table.frame, 'aria-labelledby': 'dialog-title' },
      el('h1', { class: 'titlebar', id: 'dialog-title' }, table.title || name), form);
    view.replaceChildren(el('p', { class: 'crumbs' }, el('a', { href: '#/' }, 'Clients'), ' / ', name), frame, status);
    form.addEventListener('keydown', (e) => {
      if (!e.altKey || e.ctrlKey || e.metaKey || e.key.length !== 1) return;
      const act = mnemonics.get(e.key.toLowerCase());
      if (!act || finished) return;
      e.preventDefault();
      act();
    });
    await showMessages(opened.messages);
    const first = form.querySelector('input, button');
    if (first) first.focus();
  }

  // ---- Report --------------------------------------------------------------------------------
  async function showReport(name) {
    const c = await api('GET', clientPath(name));
    document.title = 'qreport: report of ' + name;
    const pages = [];
    for (let n = 1; n <= c.pages; n++) {
      pages.push(el('figure', { class: 'page' },
        el('img', { src: clientPath(name) + '/page/' + n + '.png', alt: 'Page ' + n, loading: n > 2 ? 'lazy' : null,
          'aria-describedby': 'pages-note' }),
        el('figcaption', {}, 'Page ' + n + ' of ' + c.pages)));
    }
    const actions = el('div', { class: 'actions' });
    if (c.pages > 0) {
      actions.append(
        el('a', { class: 'action', href: clientPath(name) + '/report.pdf', download: name + '-report.pdf' }, 'Download PDF'),
        el('a', { class: 'action', href: clientPath(name) + '/report.txt', download: name + '-report.txt' },
          'Download report.txt'));
      if (c.printable) {
        actions.append(el('button', { type: 'button', class: 'action', id: 'print', onclick: () => choosePrinter(name) },
          'Print\u2026'));
      }
    }
    if (c.currentReturn) {
      actions.append(
        el('a', { class: 'action', href: clientPath(name) + '/return.pdf', download: name + '-return.pdf' },
          'Download filing sheet (PDF)'),
        el('a', { class: 'action', href: clientPath(name) + '/return.json', download: name + '-return.json' },
          'Download return JSON'));
    }
    actions.append(el('a', { class: 'action', href: '#/dialog/' + encodeURIComponent(name) }, 'Open the dialog again'));
    // Schedule B beside the report, for a semiweekly depositor's Form 941: the box writes it as
    // `qreport run --schedule-b` does and shows its pages; unticked, they are hidden again.
    const scheduleB = el('div', { class: 'schedule-b', id: 'schedule-b-pages' });
    function showScheduleB(state) {
      const figures = [];
      const stamp = Date.now();
      for (let n = 1; state.shown && n <= state.pages; n++) {
        figures.push(el('figure', { class: 'page' },
          el('img', { src: clientPath(name) + '/scheduleb/' + n + '.png?v=' + stamp, alt: 'Schedule B page ' + n,
            loading: 'lazy', 'aria-describedby': 'schedule-b-note' }),
          el('figcaption', {}, 'Schedule B, page ' + n + ' of ' + state.pages)));
      }
      const links = state.shown ? el('p', { class: 'schedule-b-links', id: 'schedule-b-note' },
        'The pages below are pictures of Schedule B; its text: ',
        el('a', { href: clientPath(name) + '/scheduleb.pdf', download: name + '-scheduleb.pdf' }, 'Download Schedule B PDF'),
        ' \u00b7 ',
        el('a', { href: clientPath(name) + '/scheduleb.txt', download: name + '-scheduleb.txt' }, 'scheduleb.txt')) : null;
      scheduleB.replaceChildren(...(state.shown ? [el('h2', {}, 'Schedule B'), links] : []), ...figures);
    }
    if (c.scheduleB) {
      const box = el('input', { type: 'checkbox', id: 'schedule-b', disabled: !c.scheduleB.due });
      box.checked = c.scheduleB.shown;
      box.addEventListener('change', async () => {
        box.disabled = true;
        try {
          showScheduleB(await api('POST', clientPath(name) + '/schedule-b', { show: box.checked }));
        } catch (e) {
          box.checked = false;
          await messageBox('Schedule B', e.message);
        }
        box.disabled = false;
      });
      actions.append(el('label', { class: 'action toggle', title: c.scheduleB.due ? 'Schedule B (Form 941) of a ' +
        'semiweekly depositor, written to scheduleb.txt beside the report' : 'No Schedule B: ' + c.scheduleB.why },
        box, ' Schedule B'));
      showScheduleB(c.scheduleB);
    }
    let lines = null;
    if (c.lines && c.lines.rows.length) {
      lines = el('table', { class: 'lines', id: 'lines' },
        el('caption', {}, 'Form ' + c.lines.form + ' lines of this report'),
        el('thead', {}, el('tr', {}, el('th', {}, 'Line'), el('th', {}, 'Amount'))),
        el('tbody', {}, ...c.lines.rows.map((r) => el('tr', {}, el('td', {}, r.line), el('td', { class: 'amount' }, r.text)))));
    }
    // The return to file today is the main table; the printed form's lines stay one click away.
    let tables = lines;
    if (c.currentReturn) {
      const current = c.currentReturn;
      const filed = el('table', { class: 'lines current', id: 'current-return' },
        el('caption', {}, current.title + ': the lines to file'),
        el('thead', {}, el('tr', {}, el('th', {}, 'Line'), el('th', {}, 'Caption'), el('th', {}, 'Column 1'),
          el('th', {}, 'Column 2'))),
        el('tbody', {}, ...current.rows.map((r) => el('tr', {}, el('td', {}, r.line), el('td', {}, r.caption),
          el('td', { class: 'amount' }, r.column1), el('td', { class: 'amount' }, r.column2)))));
      const notes = current.notes.length ? el('ul', { class: 'return-notes', 'aria-label': 'Notes on the return' },
        ...current.notes.map((n) => el('li', {}, n))) : null;
      const legacy = lines ? el('details', { class: 'legacy-lines' },
        el('summary', {}, 'Lines of the printed Form ' + c.lines.form), lines) : null;
      tables = el('div', { class: 'tables' }, filed, notes, legacy);
    }
    const note = c.pages > 0 ? el('p', { class: 'pages-note', id: 'pages-note' }, 'The pages below are pictures of the ' +
      'printed report. ', c.currentReturn && lines ? 'The table "' + c.currentReturn.title + ': the lines to file" gives the ' +
      'return to file today, and "Lines of the printed Form ' + c.lines.form + '" the printed form\'s lines, as ' +
      'text; ' : lines ? 'The table "Form ' + c.lines.form + ' lines of this report" gives its lines and ' +
      'amounts as text; ' : '', 'the report\'s printer text is ',
      el('a', { href: clientPath(name) + '/report.txt', download: name + '-report.txt' }, 'report.txt'), '.') : null;
    view.replaceChildren(
      el('p', { class: 'crumbs' }, el('a', { href: '#/' }, 'Clients'), ' / ', name),
      el('h1', {}, c.employer || name),
      el('p', { class: 'meta' }, (c.quarter ? 'Quarter ' + c.quarter + ' ' + c.year : c.year) +
        (c.report !== null ? ' \u00b7 written ' + formatTime(c.report) : ' \u00b7 no report yet')),
      actions,
      note,
      el('div', { class: 'report' }, el('div', { class: 'pages' }, ...pages, scheduleB), tables));
    const first = view.querySelector('.actions a, .actions button');
    if (first) first.focus();
  }

  async function choosePrinter(name) {
    const data = await api('GET', '/api/printers');
    const select = el('select', { id: 'destination', 'aria-label': 'Print to' },
      el('option', { value: '' }, 'PDF file'),
      ...data.destinations.map((d) => el('option', { value: d }, d)));
    const ok = el('button', { type: 'button', class: 'ok' }, 'Print');
    const cancel = el('button', { type: 'button' }, 'Cancel');
    const box = el('div', { class: 'msgbox', role: 'dialog', 'aria-modal': 'true', 'aria-label': 'Print report' },
      el('div', { class: 'caption' }, 'Print report'),
      el('label', { class: 'msgtext' }, 'Print to: ', select),
      el('div', { class: 'buttons' }, ok, cancel));
    const backdrop = el('div', { class: 'backdrop' }, box);
    const opener = document.activeElement;
    const close = () => {
      backdrop.remove();
      if (opener && opener.isConnected) opener.focus();
    };
    // Escape cancels; Tab goes round the box's own controls.
    backdrop.addEventListener('keydown', (e) => {
      if (e.key === 'Escape') { e.preventDefault(); close(); }
      if (e.key === 'Tab') {
        const order = [select, ok, cancel];
        const at = order.indexOf(document.activeElement);
        e.preventDefault();
        order[(at + (e.shiftKey ? order.length - 1 : 1)) % order.length].focus();
      }
    });
    modalRoot.append(backdrop);
    select.focus();
    cancel.addEventListener('click', close);
    ok.addEventListener('click', async () => {
      close();
      try {
        const result = await api('POST', clientPath(name) + '/print', { destination: select.value });
        await messageBox('Print', result.command ? 'Handed to the print utility:\n' + result.command : (result.problem || 'Nothing was printed.'));
      } catch (e) {
        await messageBox('Print', e.message);
      }
    });
  }

  // ---- Routing -------------------------------------------------------------------------------
  async function route() {
    modalRoot.replaceChildren();
    modalChain = Promise.resolve();
    const hash = location.hash || '#/';
    try {
      let m;
      if ((m = hash.match(/^#\/dialog\/(.+)$/))) await showDialog(decodeURIComponent(m[1]));
      else if ((m = hash.match(/^#\/report\/(.+)$/))) await showReport(decodeURIComponent(m[1]));
      else await showClients();
    } catch (e) {
      view.replaceChildren(el('p', { class: 'error', role: 'alert' }, e.message), el('a', { href: '#/' }, 'Clients'));
    }
  }
  window.addEventListener('hashchange', route);
  route();
})();
)QR";

const std::string_view kAppCss = R"QR(:root { color-scheme: light; --ink: #1d2733; --line: #c5ccd6; --accent: #1f5fa8; --face: #d4d0c8; }
* { box-sizing: border-box; }
body { margin: 0; font: 15px/1.45 "DejaVu Sans", "Segoe UI", Arial, sans-serif; color: var(--ink); background: #f3f5f8; }
.top { display: flex; gap: 1rem; align-items: baseline; padding: .6rem 1.4rem; background: #17324f; color: #fff; }
.top .brand { color: #fff; font-weight: bold; font-size: 1.15rem; text-decoration: none; }
.top .sub { opacity: .75; font-size: .9rem; }
main { padding: 1rem 1.4rem 3rem; }
h1 { font-size: 1.35rem; margin: .4rem 0 .6rem; }
a { color: var(--accent); }
.root, .meta, .crumbs { color: #4d5a68; margin: .2rem 0 .8rem; }
#filter { width: min(32rem, 100%); padding: .45rem .6rem; font-size: 1rem; border: 1px solid var(--line); border-radius: 4px; }
table.clients { border-collapse: collapse; margin-top: .8rem; background: #fff; min-width: min(60rem, 100%); }
table.clients th, table.clients td { text-align: left; padding: .45rem .8rem; border-bottom: 1px solid var(--line); }
table.clients th { background: #e7ebf0; font-weight: 600; }
table.clients tr:hover td { background: #f0f5fb; }
.empty { color: #4d5a68; }
.visually-hidden { position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%); white-space: nowrap; }
:focus-visible { outline: 3px solid #1f5fa8; outline-offset: 2px; }
.filter-label { font-weight: 600; margin-right: .4rem; }
.progress, .summary { margin: .6rem 0 0; }
.progress progress { vertical-align: middle; width: 12rem; }
table.clients th button.sort { font: inherit; font-weight: 600; background: none; border: 0; padding: 0; cursor: pointer; color: inherit; }
table.clients th[aria-sort="ascending"] button.sort::after { content: " \25B2"; }
table.clients th[aria-sort="descending"] button.sort::after { content: " \25BC"; }
button.link { font: inherit; color: inherit; background: none; border: 0; padding: 0; text-decoration: underline; cursor: pointer; }
tr.pending td { color: #4d5a68; }
.finding-list { margin: 0; padding-left: 1.2rem; }
.finding-list li.error strong { color: #a01c1c; }
.finding-list li.warning strong { color: #7a4f00; }
.pager { margin-top: .8rem; display: flex; gap: .6rem; }
.pager button:disabled { opacity: .5; cursor: default; }
.noscript, .pages-note { color: #4d5a68; }
.error { color: #a01c1c; font-weight: 600; }

/* The dialog: a window of the 8-point system font at 1.4 times its size. */
.dialog { display: inline-block; background: var(--face); border: 2px outset #fff; box-shadow: 2px 3px 10px rgba(0,0,0,.25); }
.dialog .titlebar { background: linear-gradient(90deg, #0a246a, #a6caf0); color: #fff; font-weight: bold;
  padding: 3px 8px; margin: 0; font: bold 14px "DejaVu Sans", Tahoma, sans-serif; white-space: nowrap; overflow: hidden; }
.dialog.overlapped .titlebar { background: linear-gradient(90deg, #3a5a8a, #b9cce6); }
.dialog-body { position: relative; font: 13.5px "DejaVu Sans Condensed", "DejaVu Sans", Tahoma, sans-serif; }
.dialog-body.busy { opacity: .6; pointer-events: none; }
.ctl { position: absolute; margin: 0; }
.ctl.label { white-space: nowrap; overflow: hidden; line-height: 1.2; }
.ctl.text { font: inherit; padding: 0 3px; border: 2px inset #fff; background: #fff; }
.ctl.text:focus { outline: 2px solid #000; outline-offset: -3px; }
.ctl.check { display: flex; align-items: center; gap: 4px; white-space: nowrap; }
.ctl.check input { margin: 0; width: 15px; height: 15px; }
.ctl.button { font: inherit; background: var(--face); border: 2px outset #fff; padding: 0; cursor: pointer; }
.ctl.button:active { border-style: inset; }
.ctl.button:focus { outline: 2px dotted #000; outline-offset: -5px; }
.ctl.check input:focus-visible { outline: 2px solid #000; outline-offset: 1px; }
.ctl.frame { border: 1px solid #808080; box-shadow: 1px 1px 0 #fff inset, 1px 1px 0 #fff; pointer-events: none; }
.status { margin-top: .8rem; min-height: 1.5rem; }

/* Message boxes and the printer choice: modal over the page. */
.backdrop { position: fixed; inset: 0; background: rgba(20, 30, 45, .35); display: flex; align-items: center; justify-content: center; z-index: 10; }
.msgbox { background: var(--face); border: 2px outset #fff; min-width: 20rem; max-width: 40rem; box-shadow: 3px 4px 14px rgba(0,0,0,.35); }
.msgbox .caption { background: linear-gradient(90deg, #0a246a, #a6caf0); color: #fff; font-weight: bold; padding: 3px 8px; }
.msgbox .msgtext { display: block; white-space: pre-wrap; padding: 1rem 1.2rem; font: 14px "DejaVu Sans", Tahoma, sans-serif; }
.msgbox .buttons { display: flex; justify-content: center; gap: .6rem; padding: 0 1rem 1rem; }
.msgbox button { min-width: 6rem; padding: .25rem 1rem; background: var(--face); border: 2px outset #fff; font: inherit; cursor: pointer; }
.msgbox select { font: inherit; margin-left: .4rem; }

/* The report. */
.report { display: flex; gap: 1.5rem; align-items: flex-start; flex-wrap: wrap; }
table.lines { border-collapse: collapse; background: #fff; font-size: .9rem; flex: 0 0 auto; }
table.lines caption { text-align: left; font-weight: 600; padding-bottom: .3rem; }
table.lines th, table.lines td { padding: .2rem .7rem; border-bottom: 1px solid var(--line); text-align: left; }
table.lines td.amount { text-align: right; font-variant-numeric: tabular-nums; }
.tables { display: flex; flex-direction: column; gap: 1rem; flex: 0 1 40rem; }
table.lines.current td { vertical-align: top; }
.return-notes { margin: 0; padding-left: 1.2rem; font-size: .9rem; }
.legacy-lines summary { cursor: pointer; font-weight: 600; padding: .2rem 0; }
.actions { display: flex; flex-wrap: wrap; gap: .6rem; margin: .4rem 0 1rem; }
.action { display: inline-block; padding: .4rem .9rem; border: 1px solid var(--accent); border-radius: 4px; background: #fff;
  color: var(--accent); text-decoration: none; font: inherit; cursor: pointer; }
.action:hover { background: #eaf2fb; }
.pages { display: flex; flex-direction: column; gap: 1.2rem; flex: 1 1 560px; max-width: 1100px; }
.page { margin: 0; }
.page img { display: block; width: 100%; height: auto; background: #fff; box-shadow: 0 1px 6px rgba(0,0,0,.25); }
.page figcaption { color: #4d5a68; font-size: .85rem; margin-top: .3rem; }
.schedule-b { display: flex; flex-direction: column; gap: 1.2rem; }
.schedule-b:empty { display: none; }
.schedule-b h2 { font-size: 1.15rem; margin: .6rem 0 0; }
.schedule-b-links { margin: 0; }
.action.toggle { display: inline-flex; align-items: center; gap: .35rem; }
.action.toggle:has(input:disabled) { opacity: .55; cursor: default; }
td.findings { text-align: right; font-variant-numeric: tabular-nums; }
td.findings.errors { color: #a01c1c; font-weight: 600; }
td.findings.warnings { color: #8a5a00; }
)QR";

}  // namespace qreport::web
