// The core's modal dialogs as HTML dialogs: message boxes, the file dialog
// (a file picked or dropped), the chooser TfLoad and the hint TfHint. Each
// showing resolves with what the user did; the core decides what follows.
const $ = (id) => document.getElementById(id);

export class Dialogs {
  constructor({ keep, text }) {
    this.keep = keep;
    this.text = text;
    this.stack = [];
    this.wireLoad();
    this.wireOpen();
  }

  get open() {
    return this.stack.length > 0;
  }

  show(request) {
    switch (request.dialog) {
      case 'message':
      case 'ask':
        return this.box(request);
      case 'open':
        return this.openFile(request);
      case 'load':
        return this.load(request.view);
      case 'hint':
        return this.hint(request);
    }
    return Promise.resolve(null);
  }

  // Shows the dialog (once) and waits for one answer from it.
  wait(dialog, arm) {
    if (!dialog.open) {
      dialog.showModal();
      this.stack.push(dialog);
    }
    return new Promise((resolve) => {
      const done = (answer, close = true) => {
        dialog.oncancel = null;
        if (close) this.close(dialog.id);
        resolve(answer);
      };
      arm(done);
    });
  }

  close(id) {
    const dialog = $(id);
    if (dialog && dialog.open) dialog.close();
    this.stack = this.stack.filter((d) => d !== dialog);
  }

  box(request) {
    const t = this.text;
    $('box').dataset.icon = request.icon;
    $('boxCaption').textContent = t(request.caption);
    $('boxText').textContent = t(request.text).replace(/\r\n/g, '\n');
    const buttons = $('boxButtons');
    buttons.replaceChildren();
    const choices = { ok: ['OK'], yesno: ['Yes', 'No'], yesnocancel: ['Yes', 'No', 'Cancel'] }[
      request.buttons || 'ok'
    ];
    return this.wait($('box'), (done) => {
      for (const label of choices) {
        const b = document.createElement('button');
        b.textContent = label;
        b.onclick = () => done(label.toLowerCase());
        buttons.append(b);
      }
      buttons.firstChild.focus();
      // Escape: the box's Cancel, or No when it has none.
      $('box').oncancel = (e) => {
        e.preventDefault();
        done(choices.includes('Cancel') ? 'cancel' : choices.includes('No') ? 'no' : 'ok');
      };
    });
  }

  hint(request) {
    const t = this.text;
    $('hintCaption').textContent = t(request.caption);
    $('hintLabel').textContent = t(request.label);
    $('hintMemo').value = t(request.memo);
    return this.wait($('hint'), (done) => {
      $('hintOK').onclick = () => done('ok');
      $('hintOK').focus();
      $('hint').oncancel = (e) => {
        e.preventDefault();
        done('ok');
      };
    });
  }

  wireOpen() {
    $('openFile').addEventListener('change', () => {
      const file = $('openFile').files[0];
      if (file && this.openDone) this.openDone(file);
    });
    $('openDrop').addEventListener('dragover', (e) => e.preventDefault());
    $('openDrop').addEventListener('drop', (e) => {
      e.preventDefault();
      e.stopPropagation();
      const file = e.dataTransfer.files[0];
      if (file && this.openDone) this.openDone(file);
    });
  }

  openFile(request) {
    $('openTitle').textContent = this.text(request.title);
    $('openFile').value = '';
    return this.wait($('open'), (done) => {
      this.openDone = async (file) => {
        this.openDone = null;
        done(await this.keep(file));
      };
      $('openCancel').onclick = () => done(null);
      $('open').oncancel = (e) => {
        e.preventDefault();
        done(null);
      };
    });
  }

  wireLoad() {
    $('cLevelSets').addEventListener('change', () => this.loadDone?.(`select:${$('cLevelSets').selectedIndex}`));
    $('cLevelSets').addEventListener('dblclick', () => this.loadDone?.('ok'));
    $('cLevelSets').addEventListener('contextmenu', (e) => {
      if ($('Remove1').disabled) e.preventDefault();
    });
    for (const [id, event] of [
      ['bOK', 'ok'],
      ['bCancel', 'cancel'],
      ['bOther', 'other'],
      ['Remove1', 'remove'],
    ])
      $(id).addEventListener('click', () => this.loadDone?.(event));
  }

  load(view) {
    const t = this.text;
    const list = $('cLevelSets');
    list.replaceChildren(
      ...view.cLevelSets.map((name) => {
        const o = document.createElement('option');
        o.textContent = t(name);
        return o;
      })
    );
    list.selectedIndex = view.selected;
    $('Label2').textContent = t(view.Label2);
    $('Label3').textContent = t(view.Label3);
    $('bOK').disabled = !view.bOKEnabled;
    $('Remove1').disabled = !view.popupEnabled;
    return this.wait($('load'), (done) => {
      this.loadDone = (event) => {
        this.loadDone = null;
        // The chooser stays open until the core says it ends.
        done(event, false);
      };
      $('load').oncancel = (e) => {
        e.preventDefault();
        this.loadDone?.('cancel');
      };
    });
  }
}
